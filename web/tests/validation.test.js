// Leaving a field: a refused input shows its message and keeps the focus,
// and the element the user moved to sees nothing of it.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const REFUSED = 'Please enter only digit characters in this field!';

async function selection(page) {
  return page.evaluate(() => {
    const el = document.querySelector('zemra-impact-analysis').shadowRoot.activeElement;
    return el && el.matches('input') ? [el.selectionStart, el.selectionEnd, el.value.length] : null;
  });
}

test('a refused field keeps the focus and shows its message', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  await s.openPage(page, server.origin, '/');
  const requestsBefore = (await s.diagnostics(page)).log.requests.length;

  // Entering a field selects its whole text; typing replaces it.
  await page.click(s.sel('TxtAssumptions(7)'));
  assert.equal(await s.focusedWidget(page), 'TxtAssumptions(7)');
  const [start, end, length] = await selection(page);
  assert.deepEqual([start, end], [0, length]);
  await page.keyboard.type('abc');
  const priceBefore = await s.shown(page, 'TxtAssumptions(1)');

  // Moving to another field, to a button or by Tab is refused each time.
  await page.click(s.sel('TxtAssumptions(1)'));
  await page.click(s.sel('UpdateBtn'));
  await page.keyboard.press('Tab');
  assert.deepEqual(browser.dialogs.map((d) => [d.type, d.message]), [['alert', REFUSED], ['alert', REFUSED], ['alert', REFUSED]]);
  assert.equal(await s.focusedWidget(page), 'TxtAssumptions(7)');
  assert.equal(await s.shown(page, 'TxtAssumptions(7)'), 'abc');
  const { state, log } = await s.diagnostics(page);
  assert.equal(state.forms[0].focus, 'TxtAssumptions(7)');
  // The refused moves reached nothing: no request, the price field untouched.
  assert.equal(log.requests.length, requestsBefore);
  assert.equal(await s.shown(page, 'TxtAssumptions(1)'), priceBefore);

  // A number is accepted; the field moved to gets the focus with its whole
  // text selected.
  await page.click(s.sel('TxtAssumptions(7)'), { clickCount: 3 });
  await page.keyboard.type('35');
  await page.click(s.sel('TxtAssumptions(1)'));
  assert.equal(browser.dialogs.length, 3);
  assert.equal(await s.focusedWidget(page), 'TxtAssumptions(1)');
  const [start1, end1, length1] = await selection(page);
  assert.deepEqual([start1, end1], [0, length1]);
  assert.deepEqual(browser.errors, []);
});
