// Nothing cut, and room used: at 1280 x 720 and 1920 x 1080, on the sample
// (stand-in pages) and on the demo book of zemra-pages (when it is built;
// its option lists have the longest entries), every text of the
// panel and of the scenario matrix dialog is as wide as its box at most:
// captions, value labels (also with the largest figure they show), every
// entry of every drop-down in its closed box, buttons, fields, list rows.
// Without the results view the panel takes the window's width.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('./support.js');

const SIZES = [[1280, 720], [1920, 1080]];
// The widest figure a value label shows: nine digits grouped, negative.
const LARGEST = '(999,999,999)';

// The texts wider than their boxes, by widget: the text is measured as a
// Range (its glyphs) against the box, and by the box's scroll width.
const cutTexts = (page, largest) => page.evaluate((figure) => {
  const root = document.querySelector('zemra-impact-analysis').shadowRoot;
  const { state } = window.zemraTestDiagnostics();
  const cut = [];
  const measure = (where, node, text) => {
    const shown = node.matches('input') ? node.value : node.textContent;
    if (text !== undefined) node.textContent = text;
    const range = document.createRange();
    range.selectNodeContents(node);
    const glyphs = node.matches('input') ? 0 : range.getBoundingClientRect().width, box = node.getBoundingClientRect().width;
    if (node.scrollWidth > node.clientWidth || glyphs > box + 0.5) cut.push(`${where} "${text ?? shown}" (${glyphs.toFixed(1)} in ${box.toFixed(1)})`);
    if (text !== undefined) node.textContent = shown;
  };
  for (const form of state.forms) {
    for (const [name, w] of Object.entries(form.widgets)) {
      const node = root.querySelector(`.zemra-w[data-form="${form.name}"][data-widget="${name}"]`);
      if (!node || !w.visible || w.kind === 'dataview') continue;
      const where = `${form.name}.${name}`;
      if (w.kind === 'combobox') for (const row of new Set([w.text, ...w.rows])) measure(where, node.querySelector('.zemra-combo-text'), row);
      else if (w.kind === 'listbox') [...node.children].forEach((row, i) => measure(`${where} row ${i}`, row));
      else if (w.kind === 'frame') measure(where, node.querySelector('legend'));
      else measure(where, node);
      if (w.kind === 'label' && w.role === 'value') measure(where, node, figure);
    }
  }
  return cut;
}, largest);

async function checkFit(page, what) {
  for (const [width, height] of SIZES) {
    await s.resize(page, width, height);
    const panel = await page.$eval('zemra-impact-analysis', (host) => host.shadowRoot.querySelector('.zemra-panel').getBoundingClientRect().toJSON());
    // In the window, and using its width.
    assert.ok(panel.right <= width && panel.bottom <= height && panel.right >= width * 0.94, `${what} at ${width} x ${height}: the panel ends at ${panel.right} x ${panel.bottom}`);
    await s.screenshot(page, `fit-${what}-${width}x${height}.png`);
    await page.click(s.sel('BtnScenMatrix'));
    await s.waitIdle(page);
    const cut = await cutTexts(page, LARGEST);
    await s.screenshot(page, `fit-${what}-matrix-${width}x${height}.png`);
    await page.click(s.sel('CancelButton', 'DlgScenMatrix'));
    await s.waitIdle(page);
    assert.deepEqual(cut, [], `${what} at ${width} x ${height}: texts wider than their boxes`);
  }
}

test('every text fits its box and the panel takes the width, on the sample and the demo book', async (t) => {
  const browser = await s.launch();
  t.after(() => browser.close());
  const pages = { sample: () => s.startServer(), 'demo-book': () => s.startService(fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-fit-'))) };
  if (s.serviceMissing) delete pages['demo-book'];
  for (const [what, start] of Object.entries(pages)) {
    const server = await start();
    t.after(() => server.close());
    await s.openPage(browser.page, server.origin, '/');
    await s.waitIdle(browser.page, 120000);
    await checkFit(browser.page, what);
  }
  assert.deepEqual(browser.errors, []);
});
