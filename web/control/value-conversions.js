// The model's values in the page's terms: text offsets, font sizes and
// colours.

// Texts: the model's offsets count UTF-8 bytes, the page's count
// UTF-16 units.
export function byteToIndex(text, bytes) {
  let used = 0, i = 0;
  while (i < text.length && used < bytes) {
    const cp = text.codePointAt(i);
    used += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    i += cp >= 0x10000 ? 2 : 1;
  }
  return i;
}

// The model's font sizes are points of an 8-point panel drawn in 11px text.
export function pointSize(points) { return `${Math.round(points * 11 / 8 * 10) / 10}px`; }

// The model's colours as CSS colours; anything else leaves the
// stylesheet's colour.
export function rgbOrNull(hex) { return typeof hex === 'string' && /^#[0-9A-F]{6}$/i.test(hex) ? hex : ''; }
