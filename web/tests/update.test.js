// An Update with slowed server pages: while the requests run the busy state
// is on screen, the securities are counted beside it with a bar that moves,
// and the page takes no other action; then the impact list shows the new
// run, and the results view a bar per scenario with the worst marked.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const BUSY = 'Calculation in progress,please wait ..';

// What the page shows of the run: the busy caption, the count and its bar,
// the pointer, and which elements take input.
const runView = (page) => page.evaluate(() => {
  const root = document.querySelector('zemra-impact-analysis').shadowRoot;
  const w = (name) => root.querySelector(`.zemra-w[data-form="MainCtl"][data-widget="${name}"]`);
  const progress = w('LabelRunProgress');
  return {
    caption: w('LabelProgress').textContent,
    count: getComputedStyle(progress).visibility !== 'hidden' ? progress.textContent : null,
    done: Number((progress.querySelector('[role="progressbar"]') || progress).getAttribute('aria-valuenow')),
    cursor: getComputedStyle(w('UpdateBtn')).cursor,
    disabled: [w('UpdateBtn').disabled, w('TxtAssumptions(0)').disabled, w('LstSecurity').getAttribute('aria-disabled') === 'true', w('QuickSearchFld').disabled],
    totalsEnabled: !w('Frame5').classList.contains('zemra-disabled'),
  };
});

test('an Update shows the busy state and counts the securities, takes no input, then shows the new run', async (t) => {
  const [after] = s.runHeadless('type TxtAssumptions(0) 2000\nfocus TxtAssumptions(1)\nclick UpdateBtn\ndump LstImpact LstSecurity\n');
  const { server, browser, page } = await s.session(t);
  await page.fill(s.sel('TxtAssumptions(0)'), '2000');
  await page.click(s.sel('TxtAssumptions(1)'));
  await server.setDelay(400);
  await page.click(s.sel('UpdateBtn'));
  for (const [count, done] of [['security 1 of 4', 0], ['security 3 of 4', 50]]) {
    await page.waitForFunction((text) => document.querySelector('zemra-impact-analysis').shadowRoot
      .querySelector('[data-widget="LabelRunProgress"]').textContent === text, count);
    assert.deepEqual(await runView(page), { caption: BUSY, count, done, cursor: 'wait', disabled: [true, true, true, true], totalsEnabled: true });
    if (done) await s.screenshot(page, 'update-progress.png');
  }
  // Input while the requests run reaches nothing: the list keeps its row,
  // Remove asks nothing, the keyboard types nothing.
  await page.click(`${s.sel('LstSecurity')} .zemra-row >> nth=2`, { force: true });
  await page.click(s.sel('RemoveBtn'), { force: true });
  await page.keyboard.type('9');
  assert.equal((await s.diagnostics(page)).busy, true);
  await s.waitIdle(page);
  await server.setDelay(0);
  const view = await runView(page);
  assert.equal(view.count, null);
  assert.notEqual(view.cursor, 'wait');
  for (const name of ['LstImpact', 'LstSecurity']) assert.deepEqual(await s.shownAsDump(page, name), s.visibleFields(s.panelWidgets(after)[name]), name);
  await s.screenshot(page, 'after-update.png');

  // The sample's scenarios vary in more than two changes: a bar each, the
  // worst marked.
  await page.click(s.sel('BtnResults'));
  await s.waitIdle(page);
  const bars = await page.$$eval('zemra-impact-analysis .zemra-view-heatmap .zemra-bar-row',
    (rows) => rows.map((r) => ({ name: r.querySelector('.zemra-bar-name').textContent, worst: r.classList.contains('zemra-worst') })));
  assert.deepEqual(bars.map((b) => b.name), await s.shown(page, 'ScenarioLst'));
  const impacts = (await s.shown(page, 'LstImpact')).map(s.amount);
  assert.deepEqual(bars.flatMap((b, i) => (b.worst ? [i] : [])), [impacts.indexOf(Math.min(...impacts))]);
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
});
