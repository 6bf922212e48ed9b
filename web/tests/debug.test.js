// The debug view: a new browser window at the scenario-detail address of
// the selected security with "&enableDebug=y", as the headless host records.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

test('the debug window opens at the expected address', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page, context } = browser;
  const [headless] = s.runHeadless('select LstSecurity 2\nclick CmdDebug\ndump CmdDebug\n');
  assert.equal(headless.browserWindows.length, 1);
  const expected = headless.browserWindows[0].replace(/^https?:\/\/[^/]+/, server.origin);
  assert.ok(expected.endsWith('&enableDebug=y'));

  await s.openPage(page, server.origin, '/');
  assert.equal((await s.shownAsDump(page, 'CmdDebug')).visible, true);
  await page.click(`${s.sel('LstSecurity')} .zemra-row >> nth=2`);
  const [popup] = await Promise.all([context.waitForEvent('page'), page.click(s.sel('CmdDebug'))]);
  await popup.waitForLoadState();
  assert.equal(popup.url(), new URL(expected).href);
  assert.deepEqual((await s.diagnostics(page)).log.browserWindows, [expected]);
  // The window shows what the page answers; the panel reads nothing of it.
  assert.ok((await popup.textContent('body')).length > 0);
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
});
