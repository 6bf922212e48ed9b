// The results view: a 5 x 5 matrix of stock and volatility changes in place
// of the sample's scenarios, an Update, then the heatmap's worst cell, a
// click on it that the panel follows, a click on a cell of the table, and
// the CSV export compared with the table and with the headless host's.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const s = require('./support.js');

// The sample's replies with 25 pieces each, the estimated prices varying by
// piece so that every scenario has a total of its own.
const matrixReplies = () => s.sample('replies').map((r) => {
  if (!r.reply || !/(ScenarioDetail|CarryCalc)\.asp\?Secid=/.test(r.match)) return r;
  const pieces = Array.from({ length: 25 }, (_, k) => {
    const fields = r.reply.split('|')[0].split(';');
    const stock = Math.floor(k / 5) - 2, vol = (k % 5) - 2;
    if (r.match.includes('ScenarioDetail')) fields[16] = String(Number(fields[1]) + 3 * stock - 1.5 * vol + (stock < 0 ? stock * stock : 0));
    return fields.join(';');
  });
  return { match: r.match, reply: pieces.join('|') };
});

// The sample's scenarios replaced by a 5 x 5 matrix, valued by an Update,
// in the headless host's words; the page does the same.
const STEPS = ['select ScenarioLst 0', 'shiftselect ScenarioLst 4', 'answer yes', 'click DeleteBtn', 'click BtnScenMatrix',
  ...['TxtStk', 'TxtVol'].flatMap((f) => [`type DlgScenMatrix.${f}(0) -20`, `type DlgScenMatrix.${f}(1) 10`, `type DlgScenMatrix.${f}(2) 4`]),
  'focus DlgScenMatrix.TxtTunerVal', 'click DlgScenMatrix.OKButton', 'click UpdateBtn'];

const { amount, csvRows } = s;

test('a matrix valued by an Update shows its worst cell, the panel follows a click, the CSV matches the table', async (t) => {
  const { replies } = s.jsonFiles(t, { replies: matrixReplies() });
  const [headless] = s.runHeadless(`${STEPS.join('\n')}\nclick BtnResults\ndump Heatmap ResultsCsv\n`, { replies });
  const heatmap = s.panelWidgets(headless).Heatmap.content;
  assert.equal(heatmap.layout, 'grid');
  const { server, browser, page } = await s.session(t, { replies });
  for (const step of STEPS) await s.perform(browser, step);
  assert.equal((await s.shown(page, 'ScenarioLst')).length, 25);

  // The results open from the panel's button; the heatmap is the matrix.
  await page.click(s.sel('BtnResults'));
  await s.waitIdle(page);
  await page.waitForSelector('zemra-impact-analysis .zemra-view-heatmap td.zemra-worst');
  const shown = await page.$eval('zemra-impact-analysis', (host) => {
    const root = host.shadowRoot;
    const heat = root.querySelector('.zemra-view-heatmap');
    return {
      axes: [...heat.querySelectorAll('tr:first-child th')].map((th) => th.textContent),
      rows: [...heat.querySelectorAll('tr th:first-child')].slice(1).map((th) => th.textContent),
      cells: [...heat.querySelectorAll('td.zemra-heat')].map((td) => td.textContent.replace(/^[\u25b2\u25bc] /, '')),
      worst: { text: heat.querySelector('td.zemra-worst').textContent, scenario: Number(heat.querySelector('td.zemra-worst').dataset.scenario) },
      best: heat.querySelector('td.zemra-best').textContent,
    };
  });
  assert.deepEqual(shown.axes, ['Vol Change(%) \u2193  Stk Change(%) \u2192', '-20', '-10', '0', '10', '20']);
  assert.deepEqual(shown.rows, ['-20', '-10', '0', '10', '20']);
  assert.equal(amount(shown.worst.text), Math.min(...shown.cells.map(amount)), 'the worst cell is the most negative total');
  assert.deepEqual(shown.worst, { text: heatmap.worst.text, scenario: heatmap.worst.scenario });

  // A click on the worst cell selects its scenario on the panel.
  await page.click(`zemra-impact-analysis .zemra-view-heatmap td.zemra-worst`);
  await s.waitIdle(page);
  let state = s.panelWidgets((await s.diagnostics(page)).state);
  assert.equal(state.ScenarioLst.listIndex, heatmap.worst.scenario);
  assert.deepEqual(state.ScenarioLst.selected.flatMap((on, i) => (on ? [i] : [])), [heatmap.worst.scenario]);
  assert.equal(await s.shown(page, 'DescriptionFld'), heatmap.worst.description);
  assert.equal(amount((await s.shown(page, 'LabelImpact')).replace('-', '(')), amount(heatmap.worst.text));
  // The drivers of that scenario, largest first, add up to its total.
  const drivers = await page.$$eval('zemra-impact-analysis .zemra-view-drivers tr[data-security] td:nth-child(2)', (tds) => tds.map((td) => td.textContent));
  assert.equal(drivers.length, 4);
  const parts = drivers.map(amount);
  assert.ok(Math.abs(parts.reduce((a, b) => a + b, 0) - amount(heatmap.worst.text)) <= parts.length, 'the drivers add up');
  for (let i = 1; i < parts.length; i++) assert.ok(Math.abs(parts[i - 1]) >= Math.abs(parts[i]), 'largest first');

  // A cell of the table selects its security and scenario.
  const cell = `zemra-impact-analysis .zemra-view-results .zemra-cell-value[data-security="2"][data-scenario="${heatmap.worst.scenario}"]`;
  await page.click(cell);
  await s.waitIdle(page);
  state = s.panelWidgets((await s.diagnostics(page)).state);
  assert.deepEqual([state.LstSecurity.listIndex, state.ScenarioLst.listIndex], [2, heatmap.worst.scenario]);
  assert.ok(await page.$eval(cell, (n) => n.classList.contains('zemra-current-row') && n.classList.contains('zemra-current-column')));
  assert.equal(await page.$eval(cell, (n) => n.textContent), await s.shown(page, 'LabelValuation(30)'));

  // The CSV: the headless host's text, and the numbers the table shows.
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('zemra-impact-analysis .zemra-csv-download')]);
  const csv = fs.readFileSync(await download.path(), 'utf8');
  assert.equal(csv, s.panelWidgets(headless).ResultsCsv.content.text);
  // The same text on the clipboard.
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.origin });
  await page.click('zemra-impact-analysis .zemra-csv-copy');
  await s.waitIdle(page);
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), csv);
  const lines = csvRows(csv);
  assert.deepEqual([lines.length, lines[0].length], [26, 12]);
  const cells = await page.$$eval('zemra-impact-analysis .zemra-view-results .zemra-cell-value', (nodes) => nodes.map((n) => [+n.dataset.security, +n.dataset.scenario, n.textContent]));
  assert.ok(cells.length >= 4 * 5);
  const csvFigure = (k, j) => (lines[j + 1][8 + k] === '' ? '' : Math.round(Number(lines[j + 1][8 + k])));
  assert.deepEqual(cells.filter(([k, j, text]) => (text === '' ? '' : amount(text)) !== csvFigure(k, j)), [], 'cells unlike the CSV');
  assert.deepEqual(browser.errors, []);

  // On a wide window the results stand beside the panel, under it on a
  // narrower one (the texts' fit is text-fit.test.js's).
  for (const [width, height] of [[1280, 720], [1920, 1080]]) {
    await s.resize(page, width, height);
    const [panel, views] = await page.$eval('zemra-impact-analysis', (host) => ['.zemra-panel', '.zemra-views'].map((c) => host.shadowRoot.querySelector(c).getBoundingClientRect().toJSON()));
    assert.ok(panel.right <= width && panel.bottom <= height, `at ${width} x ${height} the panel ends at ${panel.right} x ${panel.bottom}`);
    assert.equal(views.left >= panel.right && views.top < height / 2, width >= 1920, `at ${width} x ${height}: the results beside the panel`);
    await s.screenshot(page, `results-${width}x${height}.png`);
  }
});
