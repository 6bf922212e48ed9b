// Update with slowed server pages: the busy state is on screen while the
// requests run, the page takes no other action meanwhile, and then the
// impact list and the totals show the new run.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const BUSY = 'Calculation in progress,please wait ..';
const STALE = 'Click Update button to recalculate $Impact!';
const RESULTS = ['LstImpact', 'LabelImpact', 'LbDolDeltaTol(0)', 'LbDolDeltaTol(1)', 'LbDolGamTol(0)', 'LbDolVegaTol(1)',
  'LabelValuation(30)', 'LbDolDelta(1)', 'LabelProgress', 'LstSecurity'];

async function busyView(page) {
  return page.evaluate(() => {
    const root = document.querySelector('zemra-impact-analysis').shadowRoot;
    const w = (name) => root.querySelector(`.zemra-w[data-form="MainCtl"][data-widget="${name}"]`);
    return {
      caption: w('LabelProgress').textContent,
      cursor: getComputedStyle(w('UpdateBtn')).cursor,
      updateDisabled: w('UpdateBtn').disabled,
      fieldDisabled: w('TxtAssumptions(0)').disabled,
      securitiesDisabled: w('LstSecurity').getAttribute('aria-disabled') === 'true',
      searchDisabled: w('QuickSearchFld').disabled,
      totalsEnabled: !w('Frame5').classList.contains('zemra-disabled'),
    };
  });
}

test('Update shows the busy state while the replies are slowed, then the impact list and totals', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  const script = 'type TxtAssumptions(0) 2000\nfocus TxtAssumptions(1)\nclick UpdateBtn\n';
  const [after] = s.runHeadless(`${script}dump ${RESULTS.join(' ')}\n`);
  const [before] = s.runHeadless(`dump ${RESULTS.join(' ')}\n`);

  await s.openPage(page, server.origin, '/');
  const startRequests = (await s.diagnostics(page)).log.requests.length;
  await page.fill(s.sel('TxtAssumptions(0)'), '2000');
  await page.click(s.sel('TxtAssumptions(1)'));
  assert.equal(await s.shown(page, 'LabelProgress'), STALE);

  await server.setDelay(500);
  await page.click(s.sel('UpdateBtn'));
  await page.waitForFunction((busy) => {
    const el = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector('[data-widget="LabelProgress"]');
    return el.textContent === busy;
  }, BUSY);
  assert.deepEqual(await busyView(page), {
    caption: BUSY, cursor: 'wait', updateDisabled: true, fieldDisabled: true,
    securitiesDisabled: true, searchDisabled: true, totalsEnabled: true,
  });
  await s.screenshot(page, 'update-busy.png');
  // Input while the requests run reaches nothing: the list keeps its row,
  // Remove asks nothing, the keyboard types nothing.
  await page.click(`${s.sel('LstSecurity')} .zemra-row >> nth=2`, { force: true });
  await page.click(s.sel('RemoveBtn'), { force: true });
  await page.keyboard.type('9');
  assert.equal((await s.diagnostics(page)).busy, true);

  await s.waitIdle(page);
  await server.setDelay(0);
  for (const name of RESULTS) {
    assert.deepEqual(await s.shownAsDump(page, name), s.visibleFields(s.panelWidgets(after)[name]), `${name} after the run`);
  }
  assert.notDeepEqual(s.panelWidgets(after).LstImpact.rows, s.panelWidgets(before).LstImpact.rows, 'the run changed the impacts');
  assert.notEqual((await busyView(page)).cursor, 'wait');
  const { log } = await s.diagnostics(page);
  const strip = (a) => a.replace(/^https?:\/\/[^/]+/, '');
  assert.deepEqual(log.requests.slice(startRequests).map(strip), after.requests.slice(before.requests.length).map(strip));
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
  await s.screenshot(page, 'after-update.png');
});

test('a failed request is reported once and leaves the busy state', async (t) => {
  const fs = require('node:fs');
  const os = require('node:os');
  const path = require('node:path');
  const replies = JSON.parse(fs.readFileSync(path.join(s.repo, 'samples', 'replies.json'), 'utf8'));
  // The third security's valuation page fails.
  const failing = replies.map((r) => (r.match.includes('ScenarioDetail.asp?Secid=1003&') ? { match: r.match, fail: true } : r));
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-fail-'));
  fs.writeFileSync(path.join(dir, 'replies.json'), JSON.stringify(failing));
  const server = await s.startServer({ replies: path.join(dir, 'replies.json') });
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); fs.rmSync(dir, { recursive: true, force: true }); });
  const { page } = browser;

  // The start-up's run fails at the third security.
  await s.openPage(page, server.origin, '/');
  assert.equal(browser.dialogs.length, 1);
  assert.match(browser.dialogs[0].message, /ScenarioDetail\.asp\?Secid=1003&/);
  assert.match(browser.dialogs[0].message, /503/);
  const view = await busyView(page);
  // The busy caption is gone; the label shows what the model holds.
  const [headless] = s.runHeadless('dump LabelProgress\n', { replies: path.join(dir, 'replies.json') });
  assert.notEqual(view.caption, BUSY);
  assert.equal(view.caption, s.panelWidgets(headless).LabelProgress.caption);
  assert.equal(view.updateDisabled, false);
  assert.notEqual(view.cursor, 'wait');
  // The control takes the next action as usual: the same failure again.
  await page.click(s.sel('UpdateBtn'));
  await s.waitIdle(page);
  assert.equal(browser.dialogs.length, 2);
  assert.deepEqual(browser.errors, []);
});
