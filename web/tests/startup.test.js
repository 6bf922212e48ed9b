// Start-up in a page, embedded with <param> children and from script: the
// sample portfolio valued on the page's own server, and all a host page
// sees of the element. (The journeys compare every element with the
// headless host's; text-fit.test.js the panel's size.)
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const SECURITIES = ['ACME 2.5% 2031 CV', 'Beta Corp', 'Gamma 1.75% 2029 CV', 'Delta AG 0.5% 2030 CV'];

test('start-up shows the sample portfolio, from <param> children and from script, and a host page sees only ProcessInitData and properties', async (t) => {
  const { server, browser, page } = await s.session(t, {}, null);
  const [headless] = s.runHeadless('dump LstImpact\n');
  for (const pagePath of ['/', '/script.html']) {
    await s.openPage(page, server.origin, pagePath);
    assert.deepEqual([await s.shown(page, 'LstSecurity'), await s.shown(page, 'LstImpact')], [SECURITIES, s.panelWidgets(headless).LstImpact.rows], pagePath);
    // The start-up's first impact run went to the page's own stand-in pages.
    const { requests } = (await s.diagnostics(page)).log;
    assert.deepEqual(requests.map((r) => r.startsWith(`${server.origin}/pages/`)), headless.requests.map(() => true), pagePath);
  }
  const seen = await page.evaluate(() => {
    const el = document.querySelector('zemra-impact-analysis');
    const namesOf = (o) => [...Object.getOwnPropertyNames(o), ...Object.getOwnPropertySymbols(o).map(String)];
    const members = [];
    for (let proto = Object.getPrototypeOf(el); proto && proto !== HTMLElement.prototype; proto = Object.getPrototypeOf(proto)) members.push(...namesOf(proto));
    const enumerated = [];
    for (const name in el) if (!(name in HTMLElement.prototype)) enumerated.push(name);
    return { own: namesOf(el), members: members.sort(), enumerated, statics: namesOf(customElements.get('zemra-impact-analysis')).sort(), arity: el.ProcessInitData.length };
  });
  // Besides HTMLElement's: the constructor and the connected callback come
  // with every custom element.
  assert.deepEqual(seen, { own: [], members: ['ProcessInitData', 'connectedCallback', 'constructor', 'properties'], enumerated: [],
    statics: ['length', 'name', 'prototype'], arity: 0 });
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
});
