// Events: the browser's intents become the model's user actions, by form and
// element name. A mixin of the element's session.
import { scheduler } from './call-scheduler.js';

// Modifier keys as the model counts them.
const SHIFT = 1, CTRL = 2, ALT = 4;
// The key code of Tab, which moves the focus along the model's tab order.
const TAB = 9;
// While a call runs, these reach neither the element nor the control.
const BLOCKED_EVENTS = ['mousedown', 'mouseup', 'click', 'dblclick', 'keydown', 'keypress', 'keyup',
  'beforeinput', 'input', 'paste', 'cut', 'drop', 'contextmenu'];

export const withEventRouting = (Base) => class extends Base {
  _wireEvents() {
    const root = this._root;
    for (const type of BLOCKED_EVENTS) {
      root.addEventListener(type, (e) => {
        if (!scheduler.busy) return;
        e.preventDefault();
        e.stopImmediatePropagation();
      }, true);
    }
    root.addEventListener('mousedown', (e) => this._onMouseDown(e));
    root.addEventListener('click', (e) => this._onClick(e));
    root.addEventListener('dblclick', (e) => this._onDblClick(e));
    root.addEventListener('keydown', (e) => this._onKeyDown(e));
    root.addEventListener('input', (e) => this._onInput(e));
    root.addEventListener('focusin', (e) => this._onFocusIn(e));
  }

  _widgetOf(target) {
    for (let el = target; el && el !== this._root; el = el.parentElement) {
      if (el.dataset && el.dataset.widget !== undefined) {
        const form = this._forms.get(el.dataset.form);
        const entry = form && form.widgets.get(el.dataset.widget);
        if (entry) return { form: el.dataset.form, name: el.dataset.widget, entry, node: el };
      }
    }
    return null;
  }

  _flags(e) { return (e.shiftKey ? SHIFT : 0) | (e.ctrlKey || e.metaKey ? CTRL : 0) | (e.altKey ? ALT : 0); }

  _onMouseDown(e) {
    if (e.button !== 0) return;
    const popupEntry = e.target.closest && e.target.closest('.zemra-popup-entry');
    if (popupEntry) {
      e.preventDefault();
      const popup = this._popup;
      this._closePopup();
      if (popup) this._act(popup.form, popup.name, 'pick', Number(popupEntry.dataset.entry));
      return;
    }
    let closedPopupOf = null;
    if (this._popup && !(e.target.closest && e.target.closest('.zemra-popup'))) {
      closedPopupOf = `${this._popup.form}.${this._popup.name}`;
      this._closePopup();
    }
    const dialog = e.target.closest && e.target.closest('.zemra-dialog');
    if (dialog) dialog.style.zIndex = String(++this._dialogOrder + 10);
    if (e.target.closest && e.target.closest('.zemra-dialog-title')) return;
    const hit = this._widgetOf(e.target);
    if (!hit) return;
    const { form, name, entry } = hit;
    const kind = entry.kind;
    const formState = this._formState(form);
    const hasFocus = formState && formState.focus === name && this._activeForm === form;
    if (kind === 'textbox') {
      // Inside the focused field the caret goes where the user clicks.
      if (hasFocus) return;
      e.preventDefault();
      this._act(form, name, 'focus');
    } else if (kind === 'listbox') {
      e.preventDefault();
      const rowNode = e.target.closest('.zemra-row');
      if (rowNode) this._act(form, name, 'select', Number(rowNode.dataset.row), this._flags(e));
      else this._act(form, name, 'focus');
    } else if (kind === 'combobox') {
      e.preventDefault();
      // A click on the drop-down whose list is open closes the list.
      if (closedPopupOf === `${form}.${name}`) return;
      const reached = this._act(form, name, 'focus');
      const open = () => {
        const now = this._formState(form);
        if (now && now.focus === name) this._openPopup(form, name);
      };
      if (reached && typeof reached.then === 'function') reached.then(open);
      else open();
    } else if (kind === 'button' || kind === 'checkbox' || kind === 'option') {
      // The click follows; the focus moves with it, through the model.
      e.preventDefault();
    } else if (kind === 'label' || kind === 'frame') {
      e.preventDefault();
    }
  }

  _onClick(e) {
    const hit = this._widgetOf(e.target);
    if (!hit) return;
    const kind = hit.entry.kind;
    if (kind === 'button' || kind === 'checkbox' || kind === 'option') {
      e.preventDefault();
      this._act(hit.form, hit.name, 'click');
    }
  }

  _onDblClick(e) {
    const hit = this._widgetOf(e.target);
    if (!hit || hit.entry.kind !== 'listbox') return;
    const rowNode = e.target.closest('.zemra-row');
    if (rowNode) this._act(hit.form, hit.name, 'dblclick', Number(rowNode.dataset.row));
  }

  _onInput(e) {
    const hit = this._widgetOf(e.target);
    if (!hit || hit.entry.kind !== 'textbox') return;
    this._skipSelection = true;
    this._act(hit.form, hit.name, 'type', 0, 0, e.target.value);
  }

  _onFocusIn(e) {
    if (this._rendering || scheduler.busy) return;
    const hit = this._widgetOf(e.target);
    // A data view's own parts take the focus for the page (to scroll);
    // the model's focus stays where it is.
    if (!hit || hit.entry.kind === 'dataview') return;
    const formState = this._formState(hit.form);
    if (formState && formState.focus === hit.name && this._activeForm === hit.form) return;
    // The browser moved the focus by itself (a script, the keyboard): the
    // model decides, and the page follows the model.
    this._act(hit.form, hit.name, 'focus');
  }

  _onKeyDown(e) {
    if (this._popup) { this._popupKey(e); return; }
    if (['Shift', 'Control', 'Alt', 'Meta'].includes(e.key)) return;
    const hit = this._widgetOf(e.target);
    if (e.key === 'Tab') {
      e.preventDefault();
      this._act(hit ? hit.form : this._activeForm, hit ? hit.name : '', 'key', TAB, this._flags(e));
      return;
    }
    if (!hit) return;
    const { form, name, entry } = hit;
    const before = this._formState(form);
    const focusBefore = before && before.focus;
    const result = this._act(form, name, 'key', e.keyCode, this._flags(e));
    if (result && typeof result.then === 'function') {
      // The key started a request: its own effect in the element is
      // dropped with the rest of the input while the request runs.
      e.preventDefault();
      return;
    }
    const after = this._formState(form);
    if (!after || after.focus !== focusBefore || this._activeForm !== form) {
      // The control moved the focus: the key has done its work.
      e.preventDefault();
      return;
    }
    const widget = this._widgetState(form, name);
    if (!widget || after.focus !== name) return;
    if (entry.kind === 'listbox' && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) {
      e.preventDefault();
      const row = Math.max(0, Math.min(widget.rows.length - 1, widget.listIndex + (e.key === 'ArrowDown' ? 1 : -1)));
      if (widget.rows.length > 0 && row !== widget.listIndex) this._act(form, name, 'select', row, this._flags(e) & SHIFT);
    } else if (entry.kind === 'combobox' && ((e.altKey && e.key === 'ArrowDown') || e.key === 'F4')) {
      e.preventDefault();
      this._openPopup(form, name);
    } else if ((entry.kind === 'combobox' || entry.kind === 'option') && e.key.startsWith('Arrow')) {
      // Neither changes by the arrow keys of the browser's own controls.
      e.preventDefault();
    }
  }
};
