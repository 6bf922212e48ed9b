// Data views: parts of the element that show a view of the model (the
// results table, the heatmap, the drivers) in a pane beside the panel. The
// snapshot says whether a view is shown, its size, its current cell and a
// revision; what it shows comes from the control, fetched again only when
// the revision moves, and for the table only the rows and columns on screen.
// A mixin of the element's session. Every text is set with textContent.
import { scheduler } from './call-scheduler.js';
import { rgbOrNull } from './value-conversions.js';
import { NAME_WIDTH, COLUMN_WIDTH, ROW_HEIGHT, TableCells, tableView } from './results-table.js';

// Rows and columns fetched beyond those on screen after the frame (at
// least this many, and half a screen), and in the frame that needs them.
const OVERSCAN = 4, OVERSCAN_IN_FRAME = 1;
// Without the browser's idle callbacks, a task after the frame.
const whenIdle = (f) => (typeof requestIdleCallback === 'function' ? requestIdleCallback(f, { timeout: 200 }) : setTimeout(f, 0));
// A bar of the heatmap, in pixels.
const BAR_HEIGHT = 18;
// A character of a column's header, in pixels (its font's widest figures).
const HEADER_CHAR_WIDTH = 6.6;

const el = (tag, className, text) => {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
};

// A view whose figures predate edits on the panel is marked, with the
// control's note under its title.
const staleNotes = (entry, c) => {
  entry.node.classList.toggle('zemra-view-stale', !!c.stale);
  return c.stale ? [el('div', 'zemra-stale-note', c.stale)] : [];
};

export const withDataViews = (Base) => class extends Base {
  // The pane beside the panel that holds every data view of the main form.
  _viewsPane() {
    if (!this._views) {
      this._views = el('div', 'zemra-views');
      this._views.hidden = true;
      const bar = el('div', 'zemra-views-bar');
      const title = el('span', 'zemra-views-title', 'Results');
      const download = el('button', 'zemra-button zemra-csv-download', 'Download CSV');
      const copy = el('button', 'zemra-button zemra-csv-copy', 'Copy CSV');
      for (const b of [download, copy]) b.type = 'button';
      download.addEventListener('click', () => this._exportCsv(false));
      copy.addEventListener('click', () => this._exportCsv(true));
      bar.append(title, download, copy);
      this._views.append(bar);
      this._root.appendChild(this._views);
    }
    return this._views;
  }

  _createDataView(formName, name) {
    const node = el('section', `zemra-view zemra-view-${name.toLowerCase()}`);
    node.dataset.form = formName;
    node.dataset.widget = name;
    node.classList.add('zemra-w');
    const entry = { kind: 'dataview', node, form: formName, name, shownKey: null, content: null };
    if (name === 'Results') this._buildTable(entry);
    else {
      entry.body = el('div', 'zemra-view-body');
      node.append(entry.body);
      node.addEventListener('click', (e) => this._onViewClick(entry, e));
    }
    // The CSV view has nothing to show; the pane's buttons export it.
    if (name === 'ResultsCsv') node.hidden = true;
    this._viewsPane().appendChild(node);
    return entry;
  }

  _updateDataView(entry, w) {
    entry.state = w;
    entry.node.style.display = w.visible ? '' : 'none';
    if (entry.name === 'ResultsCsv') return;
    const pane = this._viewsPane();
    const anyShown = [...pane.querySelectorAll('.zemra-view')].some((v) => v.style.display !== 'none' && !v.hidden);
    pane.hidden = !anyShown;
    if (!w.visible) return;
    // Inside a call the module may be waiting for a fetch: the view keeps
    // what it shows until the call has ended.
    if (this._moduleRendering) return;
    const key = `${w.revision}/${w.rowCount}/${w.columnCount}`;
    if (entry.name === 'Results') {
      if (entry.shownKey !== key) { entry.shownKey = key; entry.window = null; entry.order = null; }
      this._layOutTable(entry);
      this._followCurrent(entry);
      this._drawTable(entry);
      return;
    }
    if (entry.shownKey !== key) {
      entry.shownKey = key;
      entry.content = this._viewContent(entry, 0, -1, 0, -1);
      if (entry.name === 'Heatmap') this._drawHeatmap(entry);
      else if (entry.name === 'Drivers') this._drawDrivers(entry);
    }
    this._markCurrent(entry);
  }

  _viewContent(entry, firstRow, rows, firstColumn, columns) {
    const text = this._ctl.viewContent(entry.form, entry.name, firstRow, rows, firstColumn, columns);
    return JSON.parse(text);
  }

  // ---- The table: securities by scenarios, drawn for the window on screen.
  _buildTable(entry) {
    const scroller = el('div', 'zemra-table-scroller');
    scroller.tabIndex = 0;
    const sizer = el('div', 'zemra-table-sizer');
    const cells = el('div', 'zemra-table-cells');
    sizer.append(cells);
    scroller.append(sizer);
    // The table's note stands in the views' bar over it.
    const staleNote = el('span', 'zemra-stale-note');
    staleNote.hidden = true;
    this._viewsPane().querySelector('.zemra-views-bar').insertBefore(staleNote, this._viewsPane().querySelector('.zemra-csv-download'));
    entry.node.append(scroller);
    Object.assign(entry, { staleNote, scroller, sizer, cells, table: new TableCells(cells), window: null, frame: 0, prefetch: false });
    // Scroll events come more often than frames: one drawing per frame.
    scroller.addEventListener('scroll', () => {
      if (entry.frame) return;
      entry.frame = requestAnimationFrame(() => { entry.frame = 0; this._drawTable(entry); });
    });
    cells.addEventListener('click', (e) => this._onTableClick(entry, e));
  }

  _layOutTable(entry) {
    const w = entry.state;
    entry.sizer.style.width = `${NAME_WIDTH + Math.max(1, w.columnCount) * this._tableOrder(entry).columnWidth}px`;
    // A header row, the securities, the portfolio row.
    entry.sizer.style.height = `${(w.rowCount + 2) * ROW_HEIGHT}px`;
    // As tall as its rows and a scroll bar, up to the stylesheet's limit.
    entry.scroller.style.height = `${(w.rowCount + 2) * ROW_HEIGHT + 18}px`;
  }

  // The order of the rows: the sort and each security's row, fetched once
  // per revision (the securities alone, no scenario).
  _tableOrder(entry) {
    if (!entry.order) {
      const c = this._viewContent(entry, 0, -1, 0, 0);
      // Columns as wide as the longest header needs.
      const columnWidth = Math.max(COLUMN_WIDTH, Math.ceil((c.headerLength || 0) * HEADER_CHAR_WIDTH + 14));
      entry.order = { sort: c.sort, rowOf: new Map(c.rows.map((row, i) => [row.security, i])), columnWidth };
      // Figures that predate edits on the panel are marked.
      entry.node.classList.toggle('zemra-view-stale', !!c.stale);
      entry.staleNote.textContent = c.stale || '';
      entry.staleNote.hidden = !c.stale;
    }
    return entry.order;
  }

  // A new current security and scenario, or a new order of the rows, is
  // scrolled into the table's view (the current security at its row in the
  // order shown).
  _followCurrent(entry) {
    const [security, column] = entry.state.current || [-1, -1];
    const { sort, rowOf, columnWidth } = this._tableOrder(entry);
    const seen = `${security}/${column}/${sort.column}/${sort.descending}`;
    if (entry.followed === seen) return;
    entry.followed = seen;
    const { scroller } = entry;
    const width = scroller.clientWidth, height = scroller.clientHeight;
    if (column >= 0 && width > 0) {
      const left = NAME_WIDTH + column * columnWidth;
      if (left < scroller.scrollLeft + NAME_WIDTH) scroller.scrollLeft = left - NAME_WIDTH;
      else if (left + columnWidth > scroller.scrollLeft + width) scroller.scrollLeft = left + columnWidth - width;
    }
    const row = security >= 0 ? rowOf.get(security) : undefined;
    if (row !== undefined && height > 0) {
      const top = (row + 1) * ROW_HEIGHT;
      if (top < scroller.scrollTop + ROW_HEIGHT) scroller.scrollTop = top - ROW_HEIGHT;
      else if (top + 2 * ROW_HEIGHT > scroller.scrollTop + height) scroller.scrollTop = top + 2 * ROW_HEIGHT - height;
    }
  }

  // Fetching is possible outside the module's own calls (which may wait
  // for a reply) and outside other calls, except while drawing the model.
  _canFetch() {
    return !this._moduleRendering && !(scheduler.busy && !this._rendering);
  }

  // A window of rows and columns around the view, `rowMargin` and
  // `columnMargin` beyond it on each side.
  _fetchAround(entry, view, rowMargin, columnMargin) {
    const firstRow = Math.max(0, view.rowFrom - rowMargin), firstColumn = Math.max(0, view.columnFrom - columnMargin);
    const win = { firstRow, rows: view.rowTo - firstRow + rowMargin, firstColumn, columns: view.columnTo - firstColumn + columnMargin };
    entry.content = this._viewContent(entry, win.firstRow, win.rows, win.firstColumn, win.columns);
    entry.window = win;
  }

  _drawTable(entry) {
    const w = entry.state;
    if (!w || !w.visible || scheduler.busy && !this._rendering) return;
    const view = tableView(entry.scroller, w.rowCount, w.columnCount, this._tableOrder(entry).columnWidth);
    const win = entry.window;
    if (!win || view.rowFrom < win.firstRow || view.columnFrom < win.firstColumn ||
        view.rowTo > win.firstRow + win.rows || view.columnTo > win.firstColumn + win.columns) {
      if (!this._canFetch()) return;
      // In the frame, only what it draws and a little more; the wider
      // window follows after the frame.
      this._fetchAround(entry, view, OVERSCAN_IN_FRAME, OVERSCAN_IN_FRAME);
    }
    const [currentRow, currentColumn] = w.current || [-1, -1];
    entry.table.draw(entry.content, view, currentRow, currentColumn);
    this._prefetchNear(entry, view);
  }

  // When the view comes within a quarter of a screen of the window's edge,
  // a window half a screen beyond the view on each side is fetched after
  // the frame, so that the scroll that reaches the edge finds its cells
  // already there.
  _prefetchNear(entry, view) {
    const w = entry.state, win = entry.window;
    const rowMargin = Math.max(OVERSCAN, Math.ceil(view.poolRows / 2));
    const columnMargin = Math.max(OVERSCAN, Math.ceil(view.poolColumns / 2));
    const near = (view.rowFrom - win.firstRow < rowMargin / 2 && win.firstRow > 0) ||
      (win.firstRow + win.rows - view.rowTo < rowMargin / 2 && win.firstRow + win.rows < w.rowCount) ||
      (view.columnFrom - win.firstColumn < columnMargin / 2 && win.firstColumn > 0) ||
      (win.firstColumn + win.columns - view.columnTo < columnMargin / 2 && win.firstColumn + win.columns < w.columnCount);
    if (!near || entry.prefetch) return;
    entry.prefetch = true;
    const key = entry.shownKey;
    whenIdle(() => {
      entry.prefetch = false;
      const now = entry.state;
      if (entry.shownKey !== key || !now || !now.visible || !this._canFetch()) return;
      this._fetchAround(entry, tableView(entry.scroller, now.rowCount, now.columnCount, this._tableOrder(entry).columnWidth), rowMargin, columnMargin);
    });
  }

  _onTableClick(entry, e) {
    const target = e.target.closest('.zemra-cell');
    if (!target || scheduler.busy) return;
    if (target.dataset.sort !== undefined) {
      this._act(entry.form, entry.name, 'sort', Number(target.dataset.sort));
    } else if (target.dataset.scenario !== undefined && Number(target.dataset.scenario) >= 0) {
      this._act(entry.form, entry.name, 'cell', Number(target.dataset.security), Number(target.dataset.scenario));
    }
  }

  // ---- The heatmap: a grid over two changes, or a bar per scenario.
  _drawHeatmap(entry) {
    const c = entry.content;
    const body = entry.body;
    entry.drawBars = null;
    const held = (c.held || []).map((h) => `${h.change} ${h.value}`).join(', ');
    const parts = [el('h3', 'zemra-view-title', `Heatmap of the total $Impact${held ? ` at ${held}` : ''}`), ...staleNotes(entry, c)];
    const mark = (node, scenario) => {
      if (c.worst && scenario === c.worst.scenario) { node.classList.add('zemra-worst'); node.title = `Worst: ${c.worst.description}`; }
      if (c.best && scenario === c.best.scenario) { node.classList.add('zemra-best'); node.title = `Best: ${c.best.description}`; }
    };
    if (c.layout === 'grid') {
      const table = el('table', 'zemra-heatmap');
      const head = el('tr');
      head.append(el('th', 'zemra-axis-corner', `${c.rows.change} \u2193  ${c.columns.change} \u2192`));
      for (const v of c.columns.values) head.append(el('th', 'zemra-axis', v));
      table.append(head);
      c.cells.forEach((line, r) => {
        const tr = el('tr');
        tr.append(el('th', 'zemra-axis', c.rows.values[r]));
        for (const cellState of line) {
          const td = el('td', 'zemra-heat');
          if (cellState) {
            td.textContent = cellState.text;
            td.style.backgroundColor = rgbOrNull(cellState.color);
            td.style.color = rgbOrNull(cellState.textColor);
            td.dataset.scenario = String(cellState.scenario);
            td.title = cellState.description;
            mark(td, cellState.scenario);
          }
          tr.append(td);
        }
        table.append(tr);
      });
      parts.push(table);
    } else if (c.bars) {
      // One bar a scenario, drawn for the rows on screen on a pool of rows
      // reused as the list scrolls (bar i in the pool's row i modulo its
      // size): a row is filled again only when it shows another bar.
      const list = el('div', 'zemra-bars');
      const sizer = el('div', 'zemra-bars-sizer');
      sizer.style.height = `${c.bars.length * BAR_HEIGHT}px`;
      list.append(sizer);
      const pool = new Map();
      let poolSize = 0;
      const barRow = () => {
        const row = el('div', 'zemra-bar-row');
        const name = el('span', 'zemra-bar-name'), track = el('span', 'zemra-bar-track'), value = el('span', 'zemra-bar-value');
        const bar = el('div', 'zemra-bar');
        track.append(bar);
        row.append(name, track, value);
        sizer.append(row);
        return { row, name, bar, value, index: -1 };
      };
      const fill = (r, i) => {
        const b = c.bars[i];
        r.index = i;
        r.row.className = 'zemra-bar-row';
        r.row.removeAttribute('title');
        r.row.style.transform = `translateY(${i * BAR_HEIGHT}px)`;
        r.row.dataset.scenario = String(b.scenario);
        r.bar.className = `zemra-bar ${b.value < 0 ? 'zemra-bar-loss' : 'zemra-bar-gain'}`;
        r.bar.style.width = `${b.extent / 2}%`;
        r.bar.style.backgroundColor = rgbOrNull(b.color);
        r.name.textContent = b.description;
        r.value.textContent = b.text;
        mark(r.row, b.scenario);
      };
      const draw = () => {
        const size = Math.ceil((list.clientHeight || 300) / BAR_HEIGHT) + 1 + 2 * OVERSCAN;
        if (size !== poolSize) {
          poolSize = size;
          for (const r of pool.values()) r.row.remove();
          pool.clear();
        }
        const first = Math.max(0, Math.floor(list.scrollTop / BAR_HEIGHT) - OVERSCAN);
        const last = Math.min(c.bars.length, first + size);
        const used = new Set();
        for (let i = first; i < last; i++) {
          const slot = i % size;
          used.add(slot);
          let r = pool.get(slot);
          if (!r) { r = barRow(); pool.set(slot, r); }
          if (r.index !== i) fill(r, i);
        }
        for (const [slot, r] of pool) if (!used.has(slot)) { r.row.remove(); pool.delete(slot); }
        this._markCurrent(entry);
      };
      let frame = 0;
      list.addEventListener('scroll', () => {
        if (!frame) frame = requestAnimationFrame(() => { frame = 0; draw(); });
      });
      entry.drawBars = draw;
      parts.push(list);
    }
    if (c.scale) {
      const scale = el('div', 'zemra-scale');
      const ramp = el('span', 'zemra-scale-ramp');
      ramp.style.background = `linear-gradient(to right, ${rgbOrNull(c.scale.low.color)}, #ffffff, ${rgbOrNull(c.scale.high.color)})`;
      scale.append(el('span', 'zemra-scale-low', c.scale.low.text), ramp, el('span', 'zemra-scale-high', c.scale.high.text));
      const legend = el('div', 'zemra-heat-legend');
      legend.append(el('span', 'zemra-worst-note', `\u25bc Worst: ${c.worst.description} ${c.worst.text}`),
        el('span', 'zemra-best-note', `\u25b2 Best: ${c.best.description} ${c.best.text}`));
      parts.push(scale, legend);
    }
    body.replaceChildren(...parts);
    if (entry.drawBars) entry.drawBars();
  }

  // ---- The drivers of the current scenario's total.
  _drawDrivers(entry) {
    const c = entry.content;
    const parts = [];
    if (!c || c.scenario === undefined) {
      entry.node.classList.remove('zemra-view-stale');
      entry.body.replaceChildren(el('h3', 'zemra-view-title', 'Drivers'));
      return;
    }
    parts.push(el('h3', 'zemra-view-title', `Drivers of ${c.description}: ${c.text}`), ...staleNotes(entry, c));
    const table = el('table', 'zemra-drivers');
    const head = el('tr');
    for (const h of ['Security', '$Impact', 'Share', 'Price move', 'Price leg', 'Stock leg', 'Carry']) head.append(el('th', '', h));
    table.append(head);
    const figure = (f) => {
      const td = el('td', f && f.value < 0 ? 'zemra-negative' : '', f ? f.text : '');
      return td;
    };
    for (const d of c.drivers) {
      const tr = el('tr');
      tr.dataset.security = String(d.security);
      tr.dataset.scenario = String(c.scenario);
      tr.append(el('td', 'zemra-driver-name', d.description), figure(d.subImpact), el('td', '', d.share),
        el('td', '', d.priceMove), figure(d.priceLeg), figure(d.stockLeg), figure(d.carry));
      table.append(tr);
    }
    const total = el('tr', 'zemra-drivers-total');
    total.append(el('td', '', 'Total'), figure(c), el('td'), el('td'), el('td'), el('td'), el('td'));
    table.append(total);
    parts.push(table);
    entry.body.replaceChildren(...parts);
  }

  _markCurrent(entry) {
    const [row, column] = entry.state.current || [-1, -1];
    for (const n of entry.body.querySelectorAll('[data-scenario]')) {
      const scenario = Number(n.dataset.scenario);
      const security = n.dataset.security === undefined ? null : Number(n.dataset.security);
      n.classList.toggle('zemra-current', scenario === column && (security === null || security === row));
    }
  }

  _onViewClick(entry, e) {
    const target = e.target.closest('[data-scenario]');
    if (!target || scheduler.busy) return;
    const security = target.dataset.security === undefined ? -1 : Number(target.dataset.security);
    this._act(entry.form, entry.name === 'Heatmap' ? 'Heatmap' : 'Results', 'cell',
      entry.name === 'Heatmap' ? 0 : security, Number(target.dataset.scenario));
  }

  // ---- Export: the control's CSV text, as a file or to the clipboard.
  async _exportCsv(toClipboard) {
    if (scheduler.busy || !this._ctl) return;
    const form = this._mainForm;
    const csv = JSON.parse(this._ctl.viewContent(form, 'ResultsCsv', 0, -1, 0, -1));
    if (!csv) return;
    this._lastExport = csv.text;
    if (toClipboard) {
      try {
        await navigator.clipboard.writeText(csv.text);
      } catch (e) {
        // Without the asynchronous clipboard, the page's own copy command.
        const area = el('textarea');
        area.value = csv.text;
        this._root.appendChild(area);
        area.select();
        document.execCommand('copy');
        area.remove();
      }
      return;
    }
    const url = URL.createObjectURL(new Blob([csv.text], { type: 'text/csv;charset=utf-8' }));
    const link = el('a');
    link.href = url;
    link.download = csv.fileName;
    this._root.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }
};
