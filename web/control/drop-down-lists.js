// Drop-down lists: the only way to change a drop-down is to pick an entry
// from its open list, shown over the element. A mixin of the element's
// session.

export const withDropDownLists = (Base) => class extends Base {
  _openPopup(form, name) {
    this._closePopup();
    const widget = this._widgetState(form, name);
    const rendered = this._forms.get(form);
    const entry = rendered && rendered.widgets.get(name);
    if (!widget || !entry || !widget.enabled) return;
    const popup = document.createElement('div');
    popup.className = 'zemra-popup';
    popup.setAttribute('role', 'listbox');
    widget.rows.forEach((text, i) => {
      const row = document.createElement('div');
      row.className = 'zemra-popup-entry';
      row.dataset.entry = String(i);
      row.textContent = text;
      if (i === widget.listIndex) row.classList.add('zemra-current');
      popup.appendChild(row);
    });
    const box = entry.node.getBoundingClientRect();
    const rootBox = this._root.getBoundingClientRect();
    popup.style.left = `${box.left - rootBox.left}px`;
    popup.style.top = `${box.bottom - rootBox.top}px`;
    popup.style.minWidth = `${box.width}px`;
    this._root.appendChild(popup);
    this._popup = { form, name, node: popup, highlight: widget.listIndex };
  }

  _closePopup() {
    if (!this._popup) return;
    this._popup.node.remove();
    this._popup = null;
  }

  _popupKey(e) {
    const popup = this._popup;
    const rows = [...popup.node.children];
    e.preventDefault();
    if (e.key === 'Escape' || e.key === 'Tab') { this._closePopup(); return; }
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      const step = e.key === 'ArrowDown' ? 1 : -1;
      popup.highlight = Math.max(0, Math.min(rows.length - 1, (popup.highlight < 0 ? -step : popup.highlight) + step));
      rows.forEach((r, i) => r.classList.toggle('zemra-current', i === popup.highlight));
      return;
    }
    if (e.key === 'Enter' && popup.highlight >= 0 && popup.highlight < rows.length) {
      this._closePopup();
      this._act(popup.form, popup.name, 'pick', popup.highlight);
    }
  }
};
