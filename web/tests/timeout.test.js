// A server page that does not answer: the element's time-out (its
// attribute timeout="SECONDS", as the headless host's --timeout) reports
// the request as failed within that time, and the control is not left busy.
// Long scenario-detail addresses reach the stand-in pages.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const BUSY = 'Calculation in progress,please wait ..';

test('a page that never answers is reported within the time-out and the control takes the next action', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  await s.openPage(page, server.origin, '/');
  assert.deepEqual(browser.dialogs, []);

  await page.evaluate(() => document.querySelector('zemra-impact-analysis').setAttribute('timeout', '2'));
  await server.setDelay(10 * 60 * 1000);  // no answer while the test runs
  const started = Date.now();
  await page.click(s.sel('UpdateBtn'));
  await page.waitForFunction(() => !window.zemraTestDiagnostics().busy, null, { timeout: 15000 });
  const elapsed = (Date.now() - started) / 1000;

  assert.equal(browser.dialogs.length, 1);
  assert.match(browser.dialogs[0].message, /ScenarioDetail\.asp\?Secid=/);
  assert.match(browser.dialogs[0].message, /no answer within 2 seconds/);
  assert.ok(elapsed >= 1.9 && elapsed < 8, `reported after ${elapsed} s`);
  // Not left busy: the caption, the pointer and the Update button are back.
  assert.notEqual(await s.shown(page, 'LabelProgress'), BUSY);
  assert.notEqual(await page.$eval(s.sel('UpdateBtn'), (el) => getComputedStyle(el).cursor), 'wait');
  assert.equal(await page.$eval(s.sel('UpdateBtn'), (el) => el.disabled), false);

  // The next Update, with the page answering again, goes through.
  await server.setDelay(0);
  await page.click(s.sel('UpdateBtn'));
  await s.waitIdle(page);
  assert.equal(browser.dialogs.length, 1);
  assert.deepEqual(browser.errors, []);
});

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
