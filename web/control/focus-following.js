// The page's focus and text selection follow the model's after every
// rendering. A mixin of the element's session.
import { byteToIndex } from './value-conversions.js';

export const withFocusFollowing = (Base) => class extends Base {
  // The page's focus follows the model's: the focused element of the form
  // the user works in. Entering a text field shows the model's selection.
  _applyFocus() {
    const inside = this._shadow.activeElement !== null;
    if (!inside && !this._userActed) return;
    const form = this._formState(this._activeForm);
    const rendered = this._forms.get(this._activeForm);
    if (!form || !rendered) return;
    if (!form.focus) {
      // A dialog without a focused element takes the keyboard itself.
      if (form.dialog && !rendered.node.contains(this._shadow.activeElement)) rendered.node.focus({ preventScroll: true });
      return;
    }
    const entry = rendered.widgets.get(form.focus);
    const widget = form.widgets[form.focus];
    if (!entry || !entry.focus || !widget) return;
    let entered = false;
    if (this._shadow.activeElement !== entry.focus) {
      entry.focus.focus({ preventScroll: false });
      entered = this._shadow.activeElement === entry.focus;
    }
    if (widget.kind !== 'textbox' || this._shadow.activeElement !== entry.focus) return;
    const selKey = `${this._activeForm}.${form.focus}`;
    const wanted = JSON.stringify([widget.text, widget.selStart, widget.selLength]);
    if (!entered && (this._skipSelection || this._appliedSel.get(selKey) === wanted)) {
      this._appliedSel.set(selKey, wanted);
      return;
    }
    this._appliedSel.set(selKey, wanted);
    const start = byteToIndex(widget.text, widget.selStart);
    const end = byteToIndex(widget.text, widget.selStart + widget.selLength);
    try {
      entry.focus.setSelectionRange(start, end);
    } catch (e) {
      // Not every input type has a selection.
    }
  }
};
