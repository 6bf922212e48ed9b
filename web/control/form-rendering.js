// Rendering: the whole model after every event. Each form of the model (the
// main form and its open dialogs) is built once per instance and then
// updated where its widgets changed. Elements stand where the model's
// layout puts them: the grid columns of each form and frame, and each
// element's grid cell. A mixin of the element's session.
import { createDialogFrame } from './dialogs.js';
import { createWidget, updateWidget } from './widget-rendering.js';

// The model's column widths in pixels (0 shares the room left), times a
// stretch on a window with room to spare. A column is never narrower than
// the longest text it holds, so that nothing is cut where the model's
// width is too small for a text.
const gridColumns = (widths, stretch = 1) =>
  widths.map((w) => (w > 0 ? `minmax(max-content, ${+(w * stretch).toFixed(2)}px)` : 'minmax(max-content, 1fr)')).join(' ');

export const withFormRendering = (Base) => class extends Base {
  _formState(name) {
    if (!this._state) return null;
    return this._state.forms.find((f) => f.name === name) || null;
  }

  _widgetState(form, name) {
    const f = this._formState(form);
    return (f && f.widgets[name]) || null;
  }

  _render(json) {
    const state = JSON.parse(json);
    this._rendering = true;
    try {
      this._state = state;
      this._mainForm = state.forms.find((f) => !f.dialog).name;
      if (!this._activeForm) this._activeForm = this._mainForm;
      this._setPointer(state.pointer);
      const open = new Set();
      for (const form of state.forms) {
        open.add(form.name);
        let rendered = this._forms.get(form.name);
        if (rendered && rendered.instance !== form.instance) {
          rendered.node.remove();
          this._forms.delete(form.name);
          rendered = null;
        }
        if (!rendered) {
          rendered = this._buildForm(form);
          this._forms.set(form.name, rendered);
          // A dialog that has just opened is where the user works now.
          if (form.dialog) this._activeForm = form.name;
        }
        this._updateForm(rendered, form);
      }
      for (const [name, rendered] of [...this._forms]) {
        if (open.has(name)) continue;
        rendered.node.remove();
        this._forms.delete(name);
        if (this._activeForm === name) this._activeForm = this._mainForm;
      }
      if (this._popup) {
        const w = this._widgetState(this._popup.form, this._popup.name);
        const owner = this._formState(this._popup.form);
        if (!w || !w.enabled || !w.visible || owner.focus !== this._popup.name) this._closePopup();
      }
      this._fitPanel();
      const modal = state.forms.some((f) => f.dialog && f.modal);
      this._root.classList.toggle('zemra-modal-open', modal);
      this._applyFocus();
    } finally {
      this._rendering = false;
      this._skipSelection = false;
    }
  }

  _buildForm(form) {
    const rendered = { name: form.name, instance: form.instance, widgets: new Map(), containers: new Map(), last: new Map(), stretch: 1 };
    let node, body;
    if (form.dialog) {
      const frame = createDialogFrame(form, this._forms.size, ++this._dialogOrder + 10, () => this._act(form.name, '', 'close'));
      node = frame.node;
      body = frame.body;
      rendered.caption = frame.caption;
    } else {
      node = document.createElement('div');
      node.className = 'zemra-panel';
      body = node;
    }
    node.dataset.form = form.name;
    const container = (frameName) => {
      if (rendered.containers.has(frameName)) return rendered.containers.get(frameName);
      const grid = frameName === '' ? body : rendered.widgets.get(frameName).body;
      grid.classList.add('zemra-grid');
      const columns = frameName === '' ? form.columns : form.widgets[frameName].columns;
      if (columns) grid.style.gridTemplateColumns = gridColumns(columns);
      else grid.classList.add('zemra-auto');
      const c = { grid, columns, placed: !!columns, extra: null };
      rendered.containers.set(frameName, c);
      return c;
    };
    let autoRow = 0;
    for (const [name, w] of Object.entries(form.widgets)) {
      // Data views stand in the pane beside the panel, not in its grid.
      if (w.kind === 'dataview') {
        rendered.widgets.set(name, this._createDataView(form.name, name));
        continue;
      }
      const entry = createWidget(form.name, name, w);
      rendered.widgets.set(name, entry);
      // A frame of a data view's choices (HeatmapChoices for the view
      // Heatmap) stands over the view.
      const view = w.kind === 'frame' && !w.parent && name.endsWith('Choices') && rendered.widgets.get(name.slice(0, -7));
      if (view && view.kind === 'dataview') {
        entry.node.classList.add('zemra-view-choices');
        view.node.insertBefore(entry.node, view.body || null);
        continue;
      }
      const c = container(w.parent || '');
      if (c.placed && w.cell) {
        const [row, col, rowSpan, colSpan] = w.cell;
        entry.node.style.gridRow = `${row} / span ${rowSpan}`;
        entry.node.style.gridColumn = `${col} / span ${colSpan}`;
        entry.node.classList.toggle('zemra-spans-rows', rowSpan > 1);
        c.grid.appendChild(entry.node);
      } else if (c.placed) {
        // Elements without a place follow the placed ones.
        if (!c.extra) {
          c.extra = document.createElement('div');
          c.extra.className = 'zemra-extra';
          c.extra.style.gridColumn = '1 / -1';
        }
        c.extra.appendChild(entry.node);
      } else {
        // No grid for this frame: a caption and its element share a row;
        // everything else takes a row of its own.
        const pairedCaption = w.role === 'caption';
        entry.node.style.gridColumn = pairedCaption ? '1' : (c.lastWasCaption ? '2' : '1 / -1');
        if (pairedCaption || !c.lastWasCaption) autoRow++;
        entry.node.style.gridRow = String(autoRow);
        c.lastWasCaption = pairedCaption;
        c.grid.appendChild(entry.node);
      }
    }
    for (const c of rendered.containers.values()) if (c.extra) c.grid.appendChild(c.extra);
    this._root.appendChild(node);
    rendered.node = node;
    return rendered;
  }

  // Widens the form's placed columns by a factor (1: the model's widths).
  _stretchForm(rendered, stretch) {
    if (Math.abs(rendered.stretch - stretch) < 0.0005) return;
    rendered.stretch = stretch;
    for (const c of rendered.containers.values()) if (c.columns) c.grid.style.gridTemplateColumns = gridColumns(c.columns, stretch);
  }

  _updateForm(rendered, form) {
    if (rendered.caption) rendered.caption.textContent = form.caption;
    rendered.node.classList.toggle('zemra-dialog-modal', !!form.modal);
    for (const [name, w] of Object.entries(form.widgets)) {
      const entry = rendered.widgets.get(name);
      if (!entry) continue;
      if (entry.kind === 'dataview') {
        this._updateDataView(entry, w);
        continue;
      }
      const key = JSON.stringify(w);
      if (rendered.last.get(name) === key) continue;
      rendered.last.set(name, key);
      updateWidget(entry, w);
    }
  }
};
