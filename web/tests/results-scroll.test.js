// The results table as it scrolls: 60 securities by 125 scenarios, each
// security valued a little differently, so that a cell left over from
// another row or column shows a wrong figure. After every scroll step the
// cells on screen must show the CSV export's figures, and a cell that stays
// in view keeps its node; so do the heatmap's bars. A sorted table keeps
// the current security in view.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const SECURITIES = 60, SCENARIOS = 125;

function portfolio() {
  const sample = s.sample('portfolio');
  const base = sample.RecordString.split('|')[0].split(';');
  const v = (k) => [-20, -10, 0, 10, 20][k % 5];
  const scenarios = Array.from({ length: SCENARIOS }, (_, j) => `S${j};${v(Math.floor(j / 25))};${j};${v(Math.floor(j / 5))};20;${v(j)};100;0;1;N`);
  const ids = Array.from({ length: SECURITIES }, (_, k) => 2000 + k);
  // Every security's carry: the sample's first, a piece a scenario.
  const carry = s.sample('replies').find((r) => r.match.includes('CarryCalc')).reply.split('|')[0];
  // The estimated price (field 16) differs by security and scenario.
  const piece = (k, j) => `42.5;105.25;107.1;88.4;58.2;1.35;-0.21;0.41;31.2;340;1.73;1.42;1.1;0.95;-0.18;44.63;${(100 + (j % 17) + k * 0.37).toFixed(2)};110.2;88.4;64.02;1.35;-0.21;0.41;31.2;340;1.73;1.42;1.1;0.95;-0.18;0`;
  const replies = ids.map((id, k) => ({ match: `http://127.0.0.1:8080/pages/ScenarioDetail.asp?Secid=${id}&`, reply: scenarios.map((_, j) => piece(k, j)).join('|') }));
  return { properties: { ...sample, RecordString: ids.map((id, k) => [id, `Security ${k}`, ...base.slice(2)].join(';')).join('|'), ScenarioString: scenarios.join('|'), StoredScenarios: '' },
    replies: [...replies, { match: 'http://127.0.0.1:8080/pages/CarryCalc.asp', reply: scenarios.map(() => carry).join('|') }, { match: 'http://127.0.0.1:8080/pages/', reply: '0' }] };
}

// What the table shows: every cell on the page with its place, text and
// node (a number the page gives each node once).
const shownCells = (page) => page.evaluate(() => {
  const table = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector('.zemra-view-results');
  const ids = window.zemraNodeIds || (window.zemraNodeIds = new WeakMap());
  const id = (n) => ids.get(n) || ids.set(n, (window.zemraNodeCount = (window.zemraNodeCount || 0) + 1)).get(n);
  const cells = (selector) => [...table.querySelectorAll(selector)].map((n) => ({ ...n.dataset, text: n.textContent, node: id(n) }));
  const { scrollTop: top, scrollLeft: left, clientHeight: height, clientWidth: width } = table.querySelector('.zemra-table-scroller');
  // The rows between the header and the portfolio row, the columns right of the names.
  const rows = [Math.floor(top / 20), Math.floor((top + height - 21) / 20) - 1];
  const columns = [Math.floor(left / 96), Math.floor((left + width - 181) / 96)];
  return { values: cells('.zemra-cell-value'), names: cells('.zemra-layer-names .zemra-cell'), heads: cells('.zemra-layer-head .zemra-cell'), rows, columns };
});

const nextFrames = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(r, 0)))));

const scrollBy = (page, down, right) => page.evaluate(([y, x]) => {
  const scroller = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector('.zemra-table-scroller');
  scroller.scrollTop += y;
  scroller.scrollLeft += x;
}, [down, right]);

// Whether a security's name cell stands, marked current, between the
// header and the portfolio row of the table's scroller.
const securityInView = (page, security) => page.evaluate((k) => {
  const table = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector('.zemra-view-results');
  const scroller = table.querySelector('.zemra-table-scroller');
  const name = table.querySelector(`.zemra-layer-names .zemra-cell.zemra-current-row[data-security="${k}"]`);
  const box = scroller.getBoundingClientRect(), cell = name && name.isConnected && name.getBoundingClientRect();
  return !!cell && cell.top >= box.top + cell.height - 1 && cell.bottom <= box.top + scroller.clientHeight - cell.height + 1;
}, security);

test('the table shows the right figures at every scroll step on reused cells, and keeps the current security in view when sorted', async (t) => {
  const { browser, page } = await s.session(t, s.jsonFiles(t, portfolio()));
  await s.resize(page, 1920, 1080);
  await page.click(s.sel('BtnResults'));
  await s.waitIdle(page);
  await page.waitForSelector('zemra-impact-analysis .zemra-view-results .zemra-cell-value');

  const lines = s.csvRows(await s.downloadCsv(page));
  const firstSecurity = lines[0].length - SECURITIES;
  const csvFigure = (security, scenario) => lines[Number(scenario) + 1][firstSecurity + Number(security)];
  const expected = (security, scenario) => (csvFigure(security, scenario) === '' ? '' : Math.round(Number(csvFigure(security, scenario))));

  // Small steps, a large jump, and back: each shows what the CSV holds,
  // each cell once, and a small step keeps the nodes of the cells still in
  // view (the pool keeps its size).
  const steps = [[0, 0], [20, 0], [37, 45], [0, 96], [300, 2000], [-150, -700], [20, 10], [-2000, -20000], [900, 6000]];
  let previous = null;
  for (const [i, [down, right]] of steps.entries()) {
    await scrollBy(page, down, right);
    await nextFrames(page);
    const shown = await shownCells(page);
    assert.ok(shown.values.length > 20, 'cells on screen');
    assert.deepEqual([...shown.values.filter((c) => (c.text === '' ? '' : s.amount(c.text)) !== expected(c.security, c.scenario)),
      ...shown.names.filter((n) => n.text !== `Security ${n.security}`), ...shown.heads.filter((h) => h.text !== `S${h.sort}`)], [], `cells unlike the CSV after a scroll by ${down}, ${right}`);
    const drawn = new Set(shown.values.map((c) => `${c.security}/${c.scenario}`));
    assert.equal(drawn.size, shown.values.length, 'each cell once');
    // In list order, row r is security r.
    for (let r = Math.max(0, shown.rows[0]); r <= Math.min(SECURITIES - 1, shown.rows[1]); r++) {
      for (let j = Math.max(0, shown.columns[0]); j <= Math.min(SCENARIOS - 1, shown.columns[1]); j++) assert.ok(drawn.has(`${r}/${j}`), `security ${r}, scenario ${j} on screen`);
    }
    if (i > 1 && Math.abs(down) <= 40 && Math.abs(right) <= 96) {  // once the view has its size
      const before = new Map(previous.map((c) => [`${c.security}/${c.scenario}`, c.node]));
      const kept = shown.values.filter((c) => before.get(`${c.security}/${c.scenario}`) === c.node).length;
      assert.ok(kept >= shown.values.length * 0.7, `${kept} of ${shown.values.length} nodes kept after a scroll by ${down}, ${right}`);
    }
    if (previous) assert.ok(shown.values.length <= previous.length * 1.5, 'the pool keeps its size');
    previous = shown.values;
  }

  // The heatmap's bars (four changes vary, not as a whole matrix) scroll on
  // reused rows too: each bar on screen once, at its scenario's place, with
  // the scenario's total.
  for (const down of [0, 90, 400, 1000, -700, 36, 5000]) {
    const { onScreen, bars } = await page.evaluate(async (y) => {
      const list = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector('.zemra-view-heatmap .zemra-bars');
      list.scrollTop += y;
      await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
      const top = list.firstChild.getBoundingClientRect().top;
      return { onScreen: [Math.floor(list.scrollTop / 18), Math.min(124, Math.floor((list.scrollTop + list.clientHeight - 1) / 18))],
        bars: [...list.querySelectorAll('.zemra-bar-row')].map((row) => [Number(row.dataset.scenario), Math.round(row.getBoundingClientRect().top - top),
          row.querySelector('.zemra-bar-name').textContent, row.querySelector('.zemra-bar-value').textContent]) };
    }, down);
    const drawn = bars.map(([j]) => j);
    for (let j = onScreen[0]; j <= onScreen[1]; j++) assert.ok(drawn.includes(j), `the bar of scenario ${j} on screen`);
    assert.equal(new Set(drawn).size, drawn.length, 'each bar once');
    assert.deepEqual(bars.filter(([j, at, name, total]) => at !== j * 18 || name !== `S${j}` || s.amount(total) !== Math.round(Number(lines[j + 1][firstSecurity - 1]))), [], 'bars unlike the CSV');
  }

  // Sorted by description, the other way round: the current security (the
  // first in list order) moves to the end, and the table follows it.
  await scrollBy(page, -100000, 0);
  await nextFrames(page);
  const corner = 'zemra-impact-analysis .zemra-layer-corners .zemra-cell-head';
  for (let i = 0; i < 2; i++) {
    await page.click(corner);
    await s.waitIdle(page);
  }
  assert.ok(await page.$eval(corner, (n) => n.classList.contains('zemra-sorted-down')));
  await nextFrames(page);
  assert.ok(await securityInView(page, 0), 'the current security in view after sorting');
  // A security chosen on the panel is scrolled to at its sorted row.
  for (const k of [7, 1, 59]) {
    await page.click(`${s.sel('LstSecurity')} .zemra-row >> nth=${k}`);
    await s.waitIdle(page);
    await nextFrames(page);
    assert.ok(await securityInView(page, k), `security ${k} in view`);
  }
  assert.deepEqual(browser.errors, []);
});
