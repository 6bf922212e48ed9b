// Start-up in a page: the sample portfolio as the headless host shows it,
// embedded both with <param> children and from script.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const SECURITIES = ['ACME 2.5% 2031 CV', 'Beta Corp', 'Gamma 1.75% 2029 CV', 'Delta AG 0.5% 2030 CV'];
// Elements whose start-up state the page must show as the model holds it.
const CHECKED = ['LstSecurity', 'ScenarioLst', 'LstImpact', 'LabelImpact', 'TxtScenario(0)', 'DescriptionFld',
  'TxtAssumptions(0)', 'TxtDelta', 'CurveComboBox', 'CheckBnkrpcy', 'LabelValuation(0)', 'LabelValuation(30)',
  'LbDolDelta(0)', 'LbDolDeltaTol(0)', 'LbDolDeltaTol(1)', 'LabelProgress', 'CmdDebug', 'UpdateBtn', 'Frame5'];

test('start-up shows the sample portfolio', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  const [headless] = s.runHeadless(`dump ${CHECKED.join(' ')}\n`);

  await t.test('embedded with <param> children', async () => {
    await s.openPage(page, server.origin, '/');
    assert.deepEqual(await s.shown(page, 'LstSecurity'), SECURITIES);
    for (const name of CHECKED) {
      assert.deepEqual(await s.shownAsDump(page, name), s.visibleFields(s.panelWidgets(headless)[name]), `${name} as the model holds it`);
    }
    // The start-up's first impact run went to the stand-in pages.
    const { log } = await s.diagnostics(page);
    assert.equal(log.requests.length, headless.requests.length);
    assert.ok(log.requests.every((r) => r.startsWith(`${server.origin}/pages/`)));
    assert.deepEqual(browser.dialogs, []);
    assert.deepEqual(browser.errors, []);
    // The panel is readable without scrolling at 1280 x 800.
    const box = await page.$eval('zemra-impact-analysis', (el) => el.shadowRoot.querySelector('.zemra-root').getBoundingClientRect().toJSON());
    assert.ok(box.right <= 1280 && box.bottom <= 800, `the panel ends at ${box.right} x ${box.bottom}`);
  });

  await t.test('a host page sees only ProcessInitData and properties', async () => {
    await s.waitIdle(page);
    const seen = await page.evaluate(() => {
      const el = document.querySelector('zemra-impact-analysis');
      const namesOf = (o) => [...Object.getOwnPropertyNames(o), ...Object.getOwnPropertySymbols(o).map(String)];
      const members = [];
      for (let proto = Object.getPrototypeOf(el); proto && proto !== HTMLElement.prototype; proto = Object.getPrototypeOf(proto)) {
        members.push(...namesOf(proto));
      }
      const enumerated = [];
      for (const name in el) if (!(name in HTMLElement.prototype)) enumerated.push(name);
      return {
        own: namesOf(el),
        members: members.sort(),
        enumerated,
        statics: namesOf(customElements.get('zemra-impact-analysis')).sort(),
        startsWithPromise: typeof el.ProcessInitData === 'function' && el.ProcessInitData.length === 0,
      };
    });
    assert.deepEqual(seen.own, [], 'no own property on the element');
    // The class's members besides those of HTMLElement: the constructor and
    // the custom element's connected callback come with every custom element.
    assert.deepEqual(seen.members, ['ProcessInitData', 'connectedCallback', 'constructor', 'properties']);
    assert.deepEqual(seen.enumerated, []);
    assert.deepEqual(seen.statics, ['length', 'name', 'prototype']);
    assert.ok(seen.startsWithPromise);
  });

  await t.test('created from script with a property object', async () => {
    await s.openPage(page, server.origin, '/script.html');
    assert.deepEqual(await s.shown(page, 'LstSecurity'), SECURITIES);
    assert.deepEqual(await s.shown(page, 'LstImpact'), s.panelWidgets(headless).LstImpact.rows);
    assert.deepEqual(browser.dialogs, []);
  });
});
