// The panel scales to the window: it fits the window's height below the
// element's top and leaves room beside it for the data views on wide
// windows. A mixin of the element's session.

// Room the data views keep beside the panel on a wide window, in pixels,
// and the share of the width the panel may take there.
const VIEWS_ROOM = 560, WIDE_PANEL_SHARE = 0.6;
// The smallest and largest scale: text stays readable and the panel does
// not outgrow a large screen.
const MIN_SCALE = 0.7, MAX_SCALE = 1.5;
// Room kept free round the panel: the element's padding and a little more.
const MARGIN = 12;

export const withPanelFitting = (Base) => class extends Base {
  // The panel's size at scale 1 comes from its size now and its zoom, so
  // that a panel that grew or shrank is fitted again.
  _fitPanel() {
    const panel = this._root.querySelector(':scope > .zemra-panel');
    if (!panel) return;
    if (!this._fitting) {
      this._fitting = true;
      window.addEventListener('resize', () => this._fitPanel());
    }
    const zoom = Number(panel.style.zoom) || 1;
    const rect = panel.getBoundingClientRect();
    const width = rect.width / zoom, height = rect.height / zoom;
    if (!width || !height) return;
    const top = Math.max(0, this._element.getBoundingClientRect().top + window.scrollY);
    const byHeight = (window.innerHeight - top - MARGIN) / height;
    const wide = window.innerWidth >= width + VIEWS_ROOM + MARGIN * 2;
    const byWidth = wide ? Math.max(1, (window.innerWidth * WIDE_PANEL_SHARE) / width) : (window.innerWidth - MARGIN * 2) / width;
    const scale = Math.floor(Math.max(MIN_SCALE, Math.min(MAX_SCALE, byHeight, byWidth)) * 1000) / 1000;
    if (Math.abs(scale - zoom) >= 0.001) panel.style.zoom = String(scale);
  }
};
