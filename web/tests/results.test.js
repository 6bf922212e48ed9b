// The results view of a 5 x 5 x 5 x 5 x 5 matrix (3125 scenarios) made with
// the scenario matrix dialog in place of the sample's scenarios, on canned
// replies, valued by an Update: the heatmap as a grid on two axes chosen in
// its drop-downs with the other changes held, its worst cell and a click on
// it that the panel follows, the drivers, a cell of the table under its
// compact header, the CSV export against the table and the headless host's;
// then an edit after the Update marks every view stale and the CSV says so.
// Screenshots for review in build-web/screenshots.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const SCENARIOS = 3125;
// The sample's replies with a piece a scenario, the estimated price varying
// with the stock, volatility and credit spread changes (the matrix nests
// stock outermost, then rate, volatility, time and credit spread).
const matrixReplies = () => s.sample('replies').map((r) => {
  if (!r.reply || !/(ScenarioDetail|CarryCalc)\.asp\?Secid=/.test(r.match)) return r;
  const fields = r.reply.split('|')[0].split(';');
  const pieces = Array.from({ length: SCENARIOS }, (_, k) => {
    const stock = Math.floor(k / 625) - 2, vol = (Math.floor(k / 25) % 5) - 2, credit = (k % 5) - 2;
    if (r.match.includes('ScenarioDetail')) fields[16] = String(Number(fields[1]) + 3 * stock - 1.5 * vol - credit + (stock < 0 ? stock * stock : 0));
    return fields.join(';');
  });
  return { match: r.match, reply: pieces.join('|') };
});

// In the headless host's words; the page does the same.
const STEPS = ['select ScenarioLst 0', 'shiftselect ScenarioLst 4', 'answer yes', 'click DeleteBtn', 'click BtnScenMatrix',
  ...['TxtStk', 'TxtRate', 'TxtVol', 'TxtCrdSprd'].flatMap((f) => [`type DlgScenMatrix.${f}(0) -20`, `type DlgScenMatrix.${f}(1) 10`, `type DlgScenMatrix.${f}(2) 4`]),
  'type DlgScenMatrix.TxtTime(1) 10', 'type DlgScenMatrix.TxtTime(2) 4', 'focus DlgScenMatrix.TxtTunerVal', 'click DlgScenMatrix.OKButton', 'click UpdateBtn',
  'click BtnResults', 'pick ComboHeatColumns Vol Change(%)', 'pick ComboHeatRows Credit Spread Change(%)', 'pick ComboHeatValue(0) -10'];
// An edit after the Update: the views keep its figures, marked stale.
const EDIT = ['type TxtScenario(0) -30', 'key TxtScenario(0) 9'];

const { amount, csvRows } = s;
const view = (name) => `zemra-impact-analysis .zemra-view-${name}`;

test('a 3125-scenario matrix: the heatmap on chosen axes, the panel follows a click, the CSV matches the table, edits mark the views stale', async (t) => {
  const { replies } = s.jsonFiles(t, { replies: matrixReplies() });
  const [valued, edited] = s.runHeadless(`${STEPS.join('\n')}\ndump Heatmap ResultsCsv\n${EDIT.join('\n')}\ndump ResultsCsv\n`, { replies }).map(s.panelWidgets);
  const heatmap = valued.Heatmap.content;
  const { server, browser, page } = await s.session(t, { replies });
  await s.resize(page, 1920, 1080);
  for (const step of STEPS) await s.perform(browser, step);
  assert.equal((await s.shown(page, 'ScenarioLst')).length, SCENARIOS);

  // The grid on the chosen axes at the held values, its worst and best marked.
  const shown = await page.$eval(view('heatmap'), (heat) => ({
    title: heat.querySelector('.zemra-view-title').textContent,
    axes: [...heat.querySelectorAll('tr:first-child th')].map((th) => th.textContent),
    cells: [...heat.querySelectorAll('td.zemra-heat')].map((td) => td.textContent),
    worst: Number(heat.querySelector('td.zemra-worst').dataset.scenario), best: Number(heat.querySelector('td.zemra-best').dataset.scenario),
  }));
  assert.deepEqual(shown, { title: 'Heatmap of the total $Impact at Stk Change(%) -10, Rate Change(bp) 0, Time Change(d) 0',
    axes: ['Credit Spread Change(%) \u2193  Vol Change(%) \u2192', '-20', '-10', '0', '10', '20'],
    cells: heatmap.cells.flat().map((c) => c.text), worst: heatmap.worst.scenario, best: heatmap.best.scenario });
  assert.equal(amount(heatmap.worst.text), Math.min(...shown.cells.map(amount)), 'the worst cell is the most negative total');
  await s.screenshot(page, 'results-3125-grid.png');

  // A click on the worst cell selects its scenario on the panel; its
  // drivers, largest first, add up to its total.
  await page.click(`${view('heatmap')} td.zemra-worst`);
  await s.waitIdle(page);
  let state = s.panelWidgets((await s.diagnostics(page)).state);
  assert.deepEqual(state.ScenarioLst.selected.flatMap((on, i) => (on ? [i] : [])), [heatmap.worst.scenario]);
  assert.equal(await s.shown(page, 'DescriptionFld'), heatmap.worst.description);
  const parts = (await page.$$eval(`${view('drivers')} tr[data-security] td:nth-child(2)`, (tds) => tds.map((td) => td.textContent))).map(amount);
  assert.equal(parts.length, 4);
  assert.ok(Math.abs(parts.reduce((a, b) => a + b, 0) - amount(heatmap.worst.text)) <= parts.length, 'the drivers add up');
  assert.deepEqual(parts.map(Math.abs), parts.map(Math.abs).sort((a, b) => b - a), 'largest first');

  // A cell of the table selects its security and scenario; its column is
  // headed by the changes that vary, readable whole.
  const cell = `${view('results')} .zemra-cell-value[data-security="2"][data-scenario="${heatmap.worst.scenario}"]`;
  await page.click(cell);
  await s.waitIdle(page);
  state = s.panelWidgets((await s.diagnostics(page)).state);
  assert.deepEqual([state.LstSecurity.listIndex, state.ScenarioLst.listIndex], [2, heatmap.worst.scenario]);
  assert.equal(await page.$eval(cell, (n) => n.textContent), await s.shown(page, 'LabelValuation(30)'));
  const head = await page.$eval(`${view('results')} .zemra-layer-head .zemra-cell[data-sort="${heatmap.worst.scenario}"]`, (n) => ({ text: n.textContent, cut: n.scrollWidth > n.clientWidth }));
  assert.deepEqual(head, { text: heatmap.worst.description.replace(/(%|bp),/g, ' \u00b7 ').replace(/-/g, '\u2212'), cut: false });

  // The CSV: the headless host's text, on the clipboard too, and the
  // numbers the table shows.
  const csv = await s.downloadCsv(page);
  assert.equal(csv, valued.ResultsCsv.content.text);
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.origin });
  await page.click('zemra-impact-analysis .zemra-csv-copy');
  await s.waitIdle(page);
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), csv);
  const lines = csvRows(csv);
  assert.deepEqual([lines.length, lines[0].length], [SCENARIOS + 1, 12]);
  const cells = await page.$$eval(`${view('results')} .zemra-cell-value`, (nodes) => nodes.map((n) => [+n.dataset.security, +n.dataset.scenario, n.textContent]));
  assert.ok(cells.length >= 4 * 5);
  assert.deepEqual(cells.filter(([k, j, text]) => (text === '' ? '' : amount(text)) !== (lines[j + 1][8 + k] === '' ? '' : Math.round(lines[j + 1][8 + k]))), [], 'cells unlike the CSV');

  // An edit after the Update: every view marked, the figures as they were,
  // the CSV's first line saying they predate the edit.
  for (const step of EDIT) await s.perform(browser, step);
  assert.deepEqual(await page.$$eval('zemra-impact-analysis .zemra-view-stale', (nodes) => nodes.map((n) => n.dataset.widget).sort()), ['Drivers', 'Heatmap', 'Results']);
  const staleCsv = await s.downloadCsv(page);
  assert.equal(staleCsv, edited.ResultsCsv.content.text);
  assert.equal(staleCsv.slice(staleCsv.indexOf('\r\n') + 2), csv);
  await s.screenshot(page, 'results-3125-stale.png');
  assert.deepEqual(browser.errors, []);

  // On a wide window the results stand beside the panel, under it on a
  // narrower one (the texts' fit is text-fit.test.js's).
  for (const [width, height] of [[1280, 720], [1920, 1080]]) {
    await s.resize(page, width, height);
    const [panel, views] = await page.$eval('zemra-impact-analysis', (host) => ['.zemra-panel', '.zemra-views'].map((c) => host.shadowRoot.querySelector(c).getBoundingClientRect().toJSON()));
    assert.deepEqual([panel.right <= width && panel.bottom <= height, views.left >= panel.right && views.top < height / 2], [true, width >= 1920], `at ${width} x ${height}: the panel in the window, the results beside it`);
  }
});
