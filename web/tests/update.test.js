// An Update with slowed server pages: while the requests run the busy state
// is on screen, the securities are counted beside it with a bar that moves,
// and the page takes no other action; then the busy state ends. (The
// impact list after an Update against the headless host's:
// journeys/dialogs.script; the heatmap's bars: results-scroll.test.js, its
// worst and best marks: results.test.js.)
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

test('an Update shows the busy state and counts the securities, takes no input, then ends it', async (t) => {
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
  const view = await runView(page);
  assert.deepEqual([view.count, view.cursor !== 'wait', browser.dialogs, browser.errors], [null, true, [], []]);
  await s.screenshot(page, 'after-update.png');
});
