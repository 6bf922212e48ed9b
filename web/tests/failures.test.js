// Failed requests: a page that answers 503, a page that refuses a request
// with a reason, a reply larger than the control reads, and a page that never answers (reported within the element's
// time-out, its attribute timeout="SECONDS" as the headless host's
// --timeout). Each is reported once in a message box naming the page, the
// control is not left busy, and it takes the next action as usual.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const BUSY = 'Calculation in progress,please wait ..';
const CASES = [
  { what: 'a page answering 503', message: /The request to http:\/\/127\.0\.0\.1:\d+\/pages\/ScenarioDetail\.asp\?Secid=1003&.* 503/,
    replies: (sample) => sample.map((r) => (r.match.includes('ScenarioDetail.asp?Secid=1003&') ? { match: r.match, fail: true } : r)) },
  // A page's refusal: the page, the security and the reason (the body's
  // first line), not the address, which the debug window gets.
  { what: 'a page refusing with a reason', window: /\/pages\/ScenarioDetail\.asp\?Secid=1003&/,
    message: /^The \$Impact update stopped at security 'Gamma 1\.75% 2029 CV': ScenarioDetail\.asp refused the request: volatility -50 is not positive$/,
    replies: (sample) => sample.map((r) => (r.match.includes('ScenarioDetail.asp?Secid=1003&') ? { match: r.match, status: 400, reply: 'volatility -50 is not positive\nnot shown' } : r)) },
  { what: 'a reply larger than the control reads', replies: (sample) => [{ match: 'http://127.0.0.1:8080/pages/ScenarioDetail.asp', reply: '|'.repeat(8 * 1024 * 1024 + 1) }, ...sample],
    message: /The reply of http:\/\/127\.0\.0\.1:\d+\/pages\/ScenarioDetail\.asp is too large: 8388609 bytes or more, where a reply may have at most 8388608 bytes\.$/ },
  { what: 'a page that never answers', timeout: 2, message: /ScenarioDetail\.asp\?Secid=.*: no answer within 2 seconds\.$/ },
];

for (const c of CASES) {
  test(`${c.what} is reported once and the control is not left busy`, async (t) => {
    const sample = s.sample('replies');
    const { replies } = s.jsonFiles(t, { replies: c.replies ? c.replies(sample) : sample });
    // The start-up's run fails, or an Update on a page that stops answering.
    const { server, browser, page } = await s.session(t, { replies });
    if (c.timeout) {
      assert.deepEqual(browser.dialogs, []);
      await page.evaluate((seconds) => document.querySelector('zemra-impact-analysis').setAttribute('timeout', seconds), String(c.timeout));
      await server.setDelay(10 * 60 * 1000);
      const started = Date.now();
      await page.click(s.sel('UpdateBtn'));
      await s.waitIdle(page, 15000);
      const elapsed = (Date.now() - started) / 1000;
      assert.ok(elapsed >= c.timeout - 0.1 && elapsed < c.timeout + 6, `reported after ${elapsed} s`);
      await server.setDelay(0);
    } else {
      const [headless] = s.runHeadless('dump LabelProgress\n', { replies });
      assert.equal(await s.shown(page, 'LabelProgress'), s.panelWidgets(headless).LabelProgress.caption);
    }
    assert.equal(browser.dialogs.length, 1, JSON.stringify(browser.dialogs));
    assert.match(browser.dialogs[0].message, c.message);
    if (c.window) assert.match((await s.diagnostics(page)).log.browserWindows.at(-1), c.window);
    // Not left busy: the caption, the pointer and the Update button are back.
    assert.notEqual(await s.shown(page, 'LabelProgress'), BUSY);
    assert.equal((await s.diagnostics(page)).state.pointer, 0);
    assert.deepEqual(await page.$eval(s.sel('UpdateBtn'), (el) => [el.disabled, getComputedStyle(el).cursor]), [false, 'default']);
    // The next Update goes through, or fails the same way again.
    await page.click(s.sel('UpdateBtn'));
    await s.waitIdle(page);
    assert.deepEqual(browser.dialogs.slice(1).map((d) => d.message), c.timeout ? [] : [browser.dialogs[0].message]);
    assert.deepEqual(browser.errors, []);
  });
}

test('the stand-in pages take a scenario-detail address of 3125 scenarios', async (t) => {
  const server = await s.startServer();
  t.after(() => server.close());
  // About what 3125 scenarios make: eight lists of 3125 values.
  const list = Array.from({ length: 3125 }, (_, j) => String((j % 41) - 20)).join(';');
  const keys = ['StkChg', 'RateChg', 'VolChg', 'Impact', 'CreditSprdChg', 'TunerVal', 'Tuner', 'TimeChg'];
  const address = `${server.origin}/pages/ScenarioDetail.asp?Secid=1&${keys.map((k) => `${k}=${list}`).join('&')}`;
  assert.ok(address.length > 64 * 1024);
  const response = await fetch(address);
  await response.text();
  // No canned reply matches this security: the stand-in page answers, where
  // a request head past node's default 16 KB would get 431.
  assert.equal(response.status, 404);
});
