// The results view: a 5 x 5 matrix of stock and volatility changes in place
// of the sample's scenarios, an Update, then the heatmap's worst cell, a
// click on it that the panel follows, a click on a cell of the table, and
// the CSV export compared with the table and with the headless host's.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('./support.js');

// The sample's replies with 25 pieces each, the estimated prices varying by
// piece so that every scenario has a total of its own.
function matrixReplies(dir) {
  const replies = JSON.parse(fs.readFileSync(path.join(s.repo, 'samples', 'replies.json'), 'utf8'));
  const out = replies.map((r) => {
    if (!r.reply || !/(ScenarioDetail|CarryCalc)\.asp\?Secid=/.test(r.match)) return r;
    const first = r.reply.split('|')[0];
    const pieces = [];
    for (let k = 0; k < 25; k++) {
      const fields = first.split(';');
      if (r.match.includes('ScenarioDetail')) {
        const stock = Math.floor(k / 5) - 2, vol = (k % 5) - 2;
        fields[16] = String(Number(fields[1]) + 3 * stock - 1.5 * vol + (stock < 0 ? stock * stock : 0));
      }
      pieces.push(fields.join(';'));
    }
    return { match: r.match, reply: pieces.join('|') };
  });
  const file = path.join(dir, 'replies.json');
  fs.writeFileSync(file, JSON.stringify(out));
  return file;
}

// The same journey in the headless host's words.
const MATRIX = [
  ['TxtStk(0)', '-20'], ['TxtStk(1)', '10'], ['TxtStk(2)', '4'],
  ['TxtVol(0)', '-20'], ['TxtVol(1)', '10'], ['TxtVol(2)', '4'],
];
const HEADLESS = [
  'select ScenarioLst 0', 'shiftselect ScenarioLst 4', 'answer yes', 'click DeleteBtn', 'click BtnScenMatrix',
  ...MATRIX.map(([name, value]) => `type DlgScenMatrix.${name} ${value}`),
  'focus DlgScenMatrix.TxtTunerVal', 'click DlgScenMatrix.OKButton', 'click UpdateBtn', 'click BtnResults',
  'dump Heatmap ResultsCsv',
].join('\n');

const { amount, csvRows } = s;

async function type(page, name, form, text) {
  await page.$eval(s.sel(name, form), (input) => { input.focus(); input.select(); });
  await s.waitIdle(page);
  await page.keyboard.insertText(text);
  await s.waitIdle(page);
}

test('a matrix valued by an Update shows its worst cell, the panel follows a click, the CSV matches the table', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-results-'));
  const replies = matrixReplies(dir);
  const server = await s.startServer({ replies });
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); fs.rmSync(dir, { recursive: true, force: true }); });
  const { page } = browser;
  const [headless] = s.runHeadless(`${HEADLESS}\n`, { replies });
  const heatmap = s.panelWidgets(headless).Heatmap.content;
  assert.equal(heatmap.layout, 'grid');

  await s.openPage(page, server.origin, '/');
  await page.click(`${s.sel('ScenarioLst')} .zemra-row >> nth=0`);
  await page.click(`${s.sel('ScenarioLst')} .zemra-row >> nth=4`, { modifiers: ['Shift'] });
  await s.waitIdle(page);
  await page.click(s.sel('DeleteBtn'));
  await s.waitIdle(page);
  await page.click(s.sel('BtnScenMatrix'));
  await s.waitIdle(page);
  for (const [name, value] of MATRIX) await type(page, name, 'DlgScenMatrix', value);
  await page.$eval(s.sel('TxtTunerVal', 'DlgScenMatrix'), (input) => input.focus());
  await s.waitIdle(page);
  await page.click(s.sel('OKButton', 'DlgScenMatrix'));
  await s.waitIdle(page);
  await page.click(s.sel('UpdateBtn'));
  await s.waitIdle(page);
  assert.equal((await s.shown(page, 'ScenarioLst')).length, 25);

  // The results open from the panel's button; the heatmap is the matrix.
  const opened = Date.now();
  await page.click(s.sel('BtnResults'));
  await s.waitIdle(page);
  await page.waitForSelector('zemra-impact-analysis .zemra-view-heatmap td.zemra-worst');
  const openMs = Date.now() - opened;
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
  assert.deepEqual(shown.axes, [`${heatmap.rows.change} \u2193  ${heatmap.columns.change} \u2192`, '-20', '-10', '0', '10', '20']);
  assert.deepEqual(shown.rows, ['-20', '-10', '0', '10', '20']);
  assert.equal(heatmap.columns.change, 'Stk Change(%)');
  assert.equal(heatmap.rows.change, 'Vol Change(%)');
  const lowest = Math.min(...shown.cells.map(amount));
  assert.equal(amount(shown.worst.text), lowest, 'the worst cell is the most negative total');
  assert.equal(shown.worst.scenario, heatmap.worst.scenario);
  assert.equal(shown.worst.text, heatmap.worst.text);

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
  assert.equal(state.LstSecurity.listIndex, 2);
  assert.equal(state.ScenarioLst.listIndex, heatmap.worst.scenario);
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
  assert.equal(lines.length, 26);
  const header = lines[0];
  assert.equal(header.length, 12);
  const tableCells = await page.$$eval('zemra-impact-analysis .zemra-view-results .zemra-cell-value',
    (nodes) => nodes.map((n) => ({ security: Number(n.dataset.security), scenario: Number(n.dataset.scenario), text: n.textContent })));
  assert.ok(tableCells.length >= 4 * 5);
  for (const c of tableCells) {
    const fields = lines[c.scenario + 1];
    const value = fields[header.length - 4 + c.security];
    assert.equal(c.text === '' ? '' : amount(c.text), value === '' ? '' : Math.round(Number(value)), `security ${c.security}, scenario ${c.scenario}`);
  }
  assert.deepEqual(browser.errors, []);
  t.diagnostic(`results view opened in ${openMs} ms`);

  // The first security: its curve has the longest name of the sample.
  await page.click(`${s.sel('LstSecurity')} .zemra-row >> nth=0`);
  await s.waitIdle(page);
  assert.equal(await s.shown(page, 'CurveComboBox'), 'US Government');
  for (const [width, height] of [[1280, 720], [1920, 1080]]) {
    await page.setViewportSize({ width, height });
    await page.evaluate(() => new Promise((resolve) => {
      window.scrollTo(0, 0);
      requestAnimationFrame(() => requestAnimationFrame(resolve));
    }));
    // The panel fits the window; on a wide one the results stand beside it.
    const boxes = await page.$eval('zemra-impact-analysis', (host) => {
      const box = (n) => n.getBoundingClientRect().toJSON();
      return { panel: box(host.shadowRoot.querySelector('.zemra-panel')), views: box(host.shadowRoot.querySelector('.zemra-views')) };
    });
    assert.ok(boxes.panel.right <= width && boxes.panel.bottom <= height, `at ${width} x ${height} the panel ends at ${boxes.panel.right} x ${boxes.panel.bottom}`);
    // Every entry and caption is shown whole.
    const cut = await page.$eval('zemra-impact-analysis', (host) => [...host.shadowRoot.querySelectorAll('.zemra-panel .zemra-combo-text, .zemra-panel .zemra-label')]
      .filter((n) => n.textContent !== '' && n.scrollWidth > n.clientWidth + 1).map((n) => n.textContent));
    assert.deepEqual(cut, [], `at ${width} x ${height}`);
    if (width >= 1920) assert.ok(boxes.views.left >= boxes.panel.right && boxes.views.top < height / 2, 'the results beside the panel');
    await s.screenshot(page, `results-${width}x${height}.png`);
  }
});

test('during an Update the securities are counted beside the busy caption with a bar that moves', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  await s.openPage(page, server.origin, '/');
  await server.setDelay(400);
  await page.click(s.sel('UpdateBtn'));
  const progress = async (caption) => {
    await page.waitForFunction((text) => {
      const root = document.querySelector('zemra-impact-analysis').shadowRoot;
      return root.querySelector('[data-widget="LabelRunProgress"]').textContent === text;
    }, caption);
    return page.evaluate(() => {
      const root = document.querySelector('zemra-impact-analysis').shadowRoot;
      const label = root.querySelector('[data-widget="LabelRunProgress"]');
      return {
        busy: root.querySelector('[data-widget="LabelProgress"]').textContent,
        visible: getComputedStyle(label).visibility !== 'hidden',
        done: Number(label.querySelector('[role="progressbar"]').getAttribute('aria-valuenow')),
      };
    });
  };
  const first = await progress('security 1 of 4');
  const third = await progress('security 3 of 4');
  for (const seen of [first, third]) {
    assert.equal(seen.busy, 'Calculation in progress,please wait ..');
    assert.ok(seen.visible);
  }
  assert.equal(first.done, 0);
  assert.equal(third.done, 50);
  await s.screenshot(page, 'update-progress.png');
  await s.waitIdle(page);
  await server.setDelay(0);
  assert.equal(await page.$eval(s.sel('LabelRunProgress'), (n) => getComputedStyle(n).visibility), 'hidden');
  // The sample's scenarios vary in more than two changes: a bar each, the
  // worst marked.
  await page.click(s.sel('BtnResults'));
  await s.waitIdle(page);
  const bars = await page.$$eval('zemra-impact-analysis .zemra-view-heatmap .zemra-bar-row',
    (rows) => rows.map((r) => ({ name: r.querySelector('.zemra-bar-name').textContent, worst: r.classList.contains('zemra-worst') })));
  const rows = await s.shown(page, 'ScenarioLst');
  assert.deepEqual(bars.map((b) => b.name), rows);
  const impacts = (await s.shown(page, 'LstImpact')).map(amount);
  assert.deepEqual(bars.flatMap((b, i) => (b.worst ? [i] : [])), [impacts.indexOf(Math.min(...impacts))]);
  assert.deepEqual(browser.errors, []);
});
