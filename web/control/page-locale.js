// The number and date conventions the control uses: those of the page's
// language around the element (its nearest lang attribute), else the
// browser's.

export function readLocale(element) {
  const holder = element.closest('[lang]');
  const lang = (holder && holder.lang) || navigator.language || 'en-US';
  const result = { decimal: '.', group: ',', dateSeparator: '/', dateOrder: 0, shortDatePattern: 'M/d/yyyy', minus: '-' };
  try {
    const nf = new Intl.NumberFormat(lang, { useGrouping: true });
    for (const p of nf.formatToParts(-12345.6)) {
      if (p.type === 'decimal') result.decimal = p.value;
      else if (p.type === 'group') result.group = p.value;
      else if (p.type === 'minusSign') result.minus = p.value;
    }
    const df = new Intl.DateTimeFormat(lang, { year: 'numeric', month: 'numeric', day: 'numeric' });
    const parts = df.formatToParts(new Date(2033, 2, 4));
    const order = parts.filter((p) => p.type === 'year' || p.type === 'month' || p.type === 'day').map((p) => p.type);
    result.dateOrder = order[0] === 'day' ? 1 : order[0] === 'year' ? 2 : 0;
    const literal = parts.find((p) => p.type === 'literal');
    if (literal && literal.value.trim().length === 1) result.dateSeparator = literal.value.trim();
    result.shortDatePattern = parts.map((p) => {
      if (p.type === 'year') return p.value.length === 2 ? 'yy' : 'yyyy';
      if (p.type === 'month') return p.value.length === 2 ? 'MM' : 'M';
      if (p.type === 'day') return p.value.length === 2 ? 'dd' : 'd';
      return p.value.replace(/[dMy]/g, '');
    }).join('');
  } catch (e) {
    // An unknown language keeps the defaults.
  }
  return result;
}
