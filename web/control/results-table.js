// The results table's cells on screen: a pool of nodes as large as the part
// of the table in view, reused as it scrolls. A row or column keeps its
// nodes while it stays in view (row r uses the pool's row r modulo the
// pool's height, and likewise for columns), and each node remembers what it
// shows, so a scroll step writes to the page only the cells that came into
// view; the pinned header row, name column and portfolio row move as whole
// layers. Every text is set with textContent.

// The table's cells, in pixels: the security column, a scenario column, a row.
export const NAME_WIDTH = 180, COLUMN_WIDTH = 96, ROW_HEIGHT = 20;
// Rows and columns drawn beyond the edges of the screen.
const DRAWN_BEYOND = 1;

const sortedClass = (sort) => (sort.descending ? ' zemra-sorted-down' : ' zemra-sorted-up');

// A node of the pool and what it shows; each setter writes only a change.
class PooledCell {
  constructor(layer, width) {
    this.node = document.createElement('div');
    this.node.style.width = `${width}px`;
    this.layer = layer;
    this.text = this.className = this.at = this.title = null;
    this.data = {};
    this.stamp = -1;
  }

  show(stamp, text, className, x, y) {
    this.stamp = stamp;
    if (!this.node.parentNode) this.layer.appendChild(this.node);
    if (this.text !== text) { this.text = text; this.node.textContent = text; }
    if (this.className !== className) { this.className = className; this.node.className = className; }
    const at = `translate(${x}px, ${y}px)`;
    if (this.at !== at) { this.at = at; this.node.style.transform = at; }
    return this;
  }

  set(name, value) {
    if (this.data[name] !== value) { this.data[name] = value; this.node.dataset[name] = value; }
    return this;
  }

  titled(title) {
    if (this.title !== title) { this.title = title; this.node.title = title; }
    return this;
  }
}

// A layer of pooled cells: its nodes by slot, and its own offset.
class Layer {
  constructor(parent, className, width) {
    this.node = document.createElement('div');
    this.node.className = `zemra-table-layer ${className}`;
    parent.appendChild(this.node);
    this.width = width;
    this.cells = new Map();
    this.at = null;
  }

  moveTo(x, y) {
    const at = `translate(${x}px, ${y}px)`;
    if (this.at !== at) { this.at = at; this.node.style.transform = at; }
  }

  cell(slot) {
    let c = this.cells.get(slot);
    if (!c) { c = new PooledCell(this.node, this.width); this.cells.set(slot, c); }
    return c;
  }

  // Nodes not drawn at `stamp` leave the page (at the table's ends, or
  // after the view has shrunk), so that none shows a stale cell.
  prune(stamp) {
    for (const c of this.cells.values()) if (c.stamp !== stamp && c.node.parentNode) c.node.remove();
  }

  clear() {
    for (const c of this.cells.values()) c.node.remove();
    this.cells.clear();
  }
}

// The rows and columns in view at the scroller's position, with the pool's
// size for that view. Row r stands at y = (r + 1) rows (under the header),
// scenario column c at x = NAME_WIDTH + c columns.
export function tableView(scroller, rowCount, columnCount, columnWidth = COLUMN_WIDTH) {
  const top = scroller.scrollTop, left = scroller.scrollLeft;
  const height = scroller.clientHeight || 400, width = scroller.clientWidth || 600;
  const poolRows = Math.ceil(height / ROW_HEIGHT) + 1 + 2 * DRAWN_BEYOND;
  const poolColumns = Math.max(1, Math.ceil((width - NAME_WIDTH) / columnWidth)) + 1 + 2 * DRAWN_BEYOND;
  const rowFrom = Math.max(0, Math.floor(top / ROW_HEIGHT) - 1 - DRAWN_BEYOND);
  const columnFrom = Math.max(0, Math.floor(left / columnWidth) - DRAWN_BEYOND);
  return {
    top, left, height, width, poolRows, poolColumns, columnWidth,
    rowFrom, rowTo: Math.min(rowCount, rowFrom + poolRows),
    columnFrom, columnTo: Math.min(columnCount, columnFrom + poolColumns),
  };
}

export class TableCells {
  constructor(container) {
    this.body = new Layer(container, 'zemra-layer-body', COLUMN_WIDTH);
    this.names = new Layer(container, 'zemra-layer-names', NAME_WIDTH);
    this.head = new Layer(container, 'zemra-layer-head', COLUMN_WIDTH);
    this.totals = new Layer(container, 'zemra-layer-totals', COLUMN_WIDTH);
    this.corners = new Layer(container, 'zemra-layer-corners', NAME_WIDTH);
    this.pool = '';
    this.stamp = 0;
  }

  // Draws the view from the fetched window `c` (which covers it), with the
  // current security and scenario highlighted.
  draw(c, view, currentRow, currentColumn) {
    const { poolRows, poolColumns, columnWidth } = view;
    const pool = `${poolRows}x${poolColumns}x${columnWidth}`;
    if (this.pool !== pool) {
      // Another size of view or of column: the slots are laid out afresh.
      this.pool = pool;
      for (const layer of [this.body, this.head, this.totals]) layer.width = columnWidth;
      for (const layer of [this.body, this.names, this.head, this.totals]) layer.clear();
    }
    const stamp = ++this.stamp;
    const bottom = view.top + view.height - ROW_HEIGHT;
    this.names.moveTo(view.left, 0);
    this.head.moveTo(0, view.top);
    this.totals.moveTo(0, bottom);
    const scenarioText = String(currentColumn);
    for (let r = view.rowFrom; r < view.rowTo; r++) {
      const row = c.rows[r - c.firstRow];
      if (!row) continue;
      const y = (r + 1) * ROW_HEIGHT;
      const current = row.security === currentRow;
      const security = String(row.security);
      const rowSlot = (r % poolRows) * poolColumns;
      for (let k = view.columnFrom; k < view.columnTo; k++) {
        const j = k - c.firstColumn;
        const col = c.columns[j];
        if (!col) continue;
        const value = row.cells[j];
        let className = 'zemra-cell zemra-cell-value';
        if (value && value.value < 0) className += ' zemra-negative';
        if (current) className += ' zemra-current-row';
        if (col.scenario === currentColumn) className += ' zemra-current-column';
        this.body.cell(rowSlot + (k % poolColumns))
          .show(stamp, value ? value.text : '', className, NAME_WIDTH + k * columnWidth, y)
          .set('security', security).set('scenario', String(col.scenario));
      }
      this.names.cell(r % poolRows)
        .show(stamp, row.description, `zemra-cell zemra-cell-name${current ? ' zemra-current-row' : ''}`, 0, y)
        .set('security', security).set('scenario', scenarioText);
    }
    // The header and the portfolio row stay at the top and bottom, the
    // security names at the left.
    for (let k = view.columnFrom; k < view.columnTo; k++) {
      const col = c.columns[k - c.firstColumn];
      if (!col) continue;
      const x = NAME_WIDTH + k * columnWidth;
      const marked = col.scenario === currentColumn ? ' zemra-current-column' : '';
      const sorted = c.sort.column === col.scenario ? sortedClass(c.sort) : '';
      const scenario = String(col.scenario);
      // A matrix's column is headed by the changes that vary, the
      // description and every change in its tool tip.
      this.head.cell(k % poolColumns).show(stamp, col.header ?? col.description, `zemra-cell zemra-cell-head${marked}${sorted}`, x, 0)
        .set('sort', scenario).titled(`${col.description}: ${col.changes.join(' / ')}`);
      this.totals.cell(k % poolColumns)
        .show(stamp, col.text, `zemra-cell zemra-cell-total${col.value < 0 ? ' zemra-negative' : ''}${marked}`, x, 0)
        .set('security', '-1').set('scenario', scenario);
    }
    const byName = c.sort.column === -1 ? sortedClass(c.sort) : '';
    this.corners.cell(0).show(stamp, 'Security', `zemra-cell zemra-cell-name zemra-cell-head${byName}`, view.left, view.top)
      .set('sort', '-1');
    this.corners.cell(1).show(stamp, 'Portfolio', 'zemra-cell zemra-cell-name zemra-cell-total', view.left, bottom);
    for (const layer of [this.body, this.names, this.head, this.totals]) layer.prune(stamp);
  }
}
