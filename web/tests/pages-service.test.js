// The control in the demo host page of the real zemra-pages service: a
// quick search adds a security through the Add Security dialog, a new
// scenario is saved to the service's database, retrieved and deleted from
// it again, and the page in German shows the same figures in its
// conventions. The service runs on a free loopback port with a throwaway
// SQLite database and a small book (the demo book's security master with
// two securities and one scenario on the host page, so that the real
// valuations stay short).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('./support.js');

const demoBook = path.join(s.repo, 'pages', 'service', 'demo-book.json');

// Valuations on the pricing engine take their time on a busy machine: the
// waits for the control are generous but bounded.
const VALUATION_WAIT_MS = 120000;

// Matches four securities of the demo book, none of them on the host page.
const SEARCH = 'varrix';
const HOST_SECURITIES = [1001, 2001];
const SCENARIO = 'Pages check scenario';
// Figures compared between the English and the German page.
const FIGURES = ['TxtAssumptions(0)', 'TxtAssumptions(1)', 'TxtAssumptions(5)', 'TxtDelta', 'LstImpact'];
const shownFigures = (page) => Promise.all(FIGURES.map(async (n) => [await s.shown(page, n)].flat().join('|')));

function smallBook(folder) {
  const book = JSON.parse(fs.readFileSync(demoBook, 'utf8'));
  book.hostPage = { securities: HOST_SECURITIES, scenarios: [{ description: 'Stock +10%', stockChange: 10 }] };
  const file = path.join(folder, 'book.json');
  fs.writeFileSync(file, JSON.stringify(book));
  return file;
}

const waitIdle = (page) => s.waitIdle(page, VALUATION_WAIT_MS);

const dialogShown = (page, name) => page.$(`zemra-impact-analysis .zemra-dialog[data-dialog="${name}"]`);

async function storedScenarios(origin) {
  const reply = await fetch(`${origin}/pages/GetScenario`);
  assert.equal(reply.status, 200);
  return (await reply.text()).split('|').filter((p) => p !== '').map((p) => p.split(';')[1]);
}

test('a security added by quick search and a scenario saved, retrieved and deleted on zemra-pages',
  { skip: s.serviceMissing }, async (t) => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-pages-e2e-'));
    const service = await s.startService(folder, smallBook(folder));
    const browser = await s.launch();
    t.after(async () => { await browser.close(); await service.close(); });
    const { page } = browser, { origin } = service;
    await s.openPage(page, origin, '/');
    await waitIdle(page);
    const english = await shownFigures(page);

    // (1) The search offers several securities; one of them is added.
    const securitiesBefore = await s.shown(page, 'LstSecurity');
    assert.equal(securitiesBefore.length, HOST_SECURITIES.length);
    await page.click(s.sel('QuickSearchFld'));
    await page.keyboard.type(SEARCH);
    await page.keyboard.press('Enter');
    await waitIdle(page);
    assert.ok(await dialogShown(page, 'DlgAddSec'), `no Add Security dialog; messages ${JSON.stringify(browser.dialogs)}`);
    const offered = await s.shown(page, 'SecSelList', 'DlgAddSec');
    assert.ok(offered.length > 1 && offered.every((row) => /varrix/i.test(row)), `the search offered ${JSON.stringify(offered)}`);
    const chosen = offered[0];
    await page.click(`${s.sel('SecSelList', 'DlgAddSec')} > :first-child`);
    await page.click(s.sel('AddButton', 'DlgAddSec'));
    await waitIdle(page);
    const securitiesAfter = await s.shown(page, 'LstSecurity');
    assert.equal(securitiesAfter.length, securitiesBefore.length + 1);
    assert.ok(securitiesAfter[securitiesAfter.length - 1].includes(chosen),
      `LstSecurity ${JSON.stringify(securitiesAfter)} does not end with '${chosen}'`);
    assert.deepEqual(await s.shown(page, 'SecSelList', 'DlgAddSec'), offered.slice(1));
    await page.click(s.sel('CloseButton', 'DlgAddSec'));
    await waitIdle(page);
    assert.equal(await dialogShown(page, 'DlgAddSec'), null);

    // (2) A new scenario is saved, retrieved into the saved-scenario list
    // and deleted from the database.
    await page.fill(s.sel('DescriptionFld'), SCENARIO);
    await page.click(s.sel('ScenarioAddBtn'));
    await waitIdle(page);
    const rows = await s.shown(page, 'ScenarioLst');
    assert.equal(rows[rows.length - 1], SCENARIO);
    // The new row joins the selected one (the multiple mode, where Save
    // does not apply): a click on it selects it alone.
    await page.click(`${s.sel('ScenarioLst')} > :last-child`);
    await waitIdle(page);
    const { selected } = await s.shownAsDump(page, 'ScenarioLst');
    assert.deepEqual(selected, rows.map((_, i) => i === rows.length - 1));
    await page.click(s.sel('BtnSave'));
    await waitIdle(page);
    assert.ok((await storedScenarios(origin)).includes(SCENARIO), 'the scenario is not in the database');
    await page.click(s.sel('BtnRetrieve'));
    await waitIdle(page);
    await page.click(s.sel('ComboScenario'));
    const entries = await page.$$eval('zemra-impact-analysis .zemra-popup-entry', (r) => r.map((e) => e.textContent));
    assert.equal(entries.filter((e) => e === SCENARIO).length, 1, `the saved scenarios list ${JSON.stringify(entries)}`);
    await page.keyboard.press('Escape');
    assert.equal(await s.shown(page, 'DescriptionFld'), SCENARIO);
    await page.click(s.sel('BtnDelScenario'));
    await waitIdle(page);
    assert.ok(!(await storedScenarios(origin)).includes(SCENARIO), 'the scenario is still in the database');
    assert.ok(!(await s.shown(page, 'ScenarioLst')).includes(SCENARIO));

    // The only message box is the question before deleting.
    assert.deepEqual(browser.dialogs, [{
      type: 'confirm',
      message: `Are you sure you want to delete the selected scenario from database:'${SCENARIO}'?`,
    }]);
    // (3) The page in German: the same figures with the decimal comma and
    // the thousands point; the maturity sent with its date separator.
    await s.openPage(page, origin, '/?lang=de-DE');
    await waitIdle(page);
    assert.equal(await page.getAttribute('html', 'lang'), 'de-DE');
    const german = await shownFigures(page);
    const maturities = (await s.diagnostics(page)).log.requests.map((r) => /Maturity=([^&]*)/.exec(r)).filter(Boolean);
    assert.ok(maturities.length > 0 && maturities.every((m) => /^\d{1,2}\.\d{1,2}\.\d{4}$/.test(m[1])), JSON.stringify(maturities));
    assert.deepEqual(german.map((t) => t.replace(/\./g, '').replace(/,/g, '.')), english.map((t) => t.replace(/,/g, '')));
    assert.ok(german.some((t) => /\d,\d/.test(t)), JSON.stringify(german));
    assert.equal(german.some((t) => /\d\.\d{3}/.test(t)), english.some((t) => /\d,\d{3}/.test(t)), JSON.stringify(german));
    assert.deepEqual(browser.errors, []);
    // Every page the control asked answered without a fault.
    const asked = service.output().split('\n').filter((l) => / \/pages\//.test(l));
    const pagesAsked = asked.map((l) => / \/pages\/(\w+)/.exec(l)[1]);
    assert.deepEqual(['QuickSearch', 'InsertScenario', 'GetScenario', 'DelScenario'].filter((p) => !pagesAsked.includes(p)), [], asked.join('\n'));
    assert.deepEqual(asked.filter((l) => !/ 200 \d+us$/.test(l)), []);
  });
