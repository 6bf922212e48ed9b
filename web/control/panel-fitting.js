// The panel scales to the window: it fits the window's height below the
// element's top, leaves room beside it for the data views on wide windows,
// and otherwise takes the window's width, its columns widened in
// proportion. A mixin of the element's session.

// Room the data views keep beside the panel on a wide window, in pixels;
// the share of the width the panel may take there when it needs no more
// than its own size; the smallest scale at which it stands beside them.
const VIEWS_ROOM = 560, WIDE_PANEL_SHARE = 0.6, BESIDE_MIN_SCALE = 0.85;
// The smallest and largest scale: text stays readable and the panel does
// not outgrow a large screen.
const MIN_SCALE = 0.7, MAX_SCALE = 1.5;
// Room kept free round the panel: the element's padding and a little more.
const MARGIN = 12;

export const withPanelFitting = (Base) => class extends Base {
  // The panel's own size (scale 1, the model's column widths, or wider
  // where a text needs it) is measured first, so that a panel whose texts
  // grew or shrank is fitted again.
  _fitPanel() {
    const panel = this._root.querySelector(':scope > .zemra-panel');
    const rendered = this._forms.get(this._mainForm);
    if (!panel || !rendered) return;
    if (!this._fitting) {
      this._fitting = true;
      window.addEventListener('resize', () => this._fitPanel());
    }
    this._stretchForm(rendered, 1);
    const zoom = Number(panel.style.zoom) || 1;
    const rect = panel.getBoundingClientRect();
    const width = rect.width / zoom, height = rect.height / zoom;
    if (!width || !height) return;
    const top = Math.max(0, this._element.getBoundingClientRect().top + window.scrollY);
    const byHeight = (window.innerHeight - top - MARGIN) / height;
    const room = window.innerWidth - MARGIN * 2;
    const views = this._views && !this._views.hidden;
    const besideViews = (room - VIEWS_ROOM) / width;
    const beside = views && besideViews >= BESIDE_MIN_SCALE;
    const byWidth = beside ? Math.max(Math.min(1, besideViews), (window.innerWidth * WIDE_PANEL_SHARE) / width) : room / width;
    const scale = Math.floor(Math.max(MIN_SCALE, Math.min(MAX_SCALE, byHeight, byWidth)) * 1000) / 1000;
    if (Math.abs(scale - zoom) >= 0.001) panel.style.zoom = String(scale);
    // Without the views beside it, the panel takes the width there is.
    if (!beside) this._stretchForm(rendered, Math.max(1, Math.floor((room / (width * scale)) * 1000) / 1000));
  }
};
