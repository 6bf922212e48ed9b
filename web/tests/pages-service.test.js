// The control in the demo host page of the real zemra-pages service: a
// quick search adds a security through the Add Security dialog, and a new
// scenario is saved to the service's database, retrieved and deleted from
// it again. The service runs on a free loopback port with a throwaway
// SQLite database and a small book (the demo book's security master with
// two securities and one scenario on the host page, so that the real
// valuations stay short).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const s = require('./support.js');

const serviceBinary = process.env.ZEMRA_PAGES || path.join(s.repo, 'build', 'pages', 'service', 'zemra-pages');
const controlDir = process.env.ZEMRA_WEB_DIST || path.join(s.repo, 'build-web', 'dist');
const demoBook = path.join(s.repo, 'pages', 'service', 'demo-book.json');

// Valuations on the pricing engine take their time on a busy machine: the
// waits for the control are generous but bounded.
const VALUATION_WAIT_MS = 120000;
const SERVICE_START_MS = 30000;
const SERVICE_STOP_MS = 10000;

// Matches four securities of the demo book, none of them on the host page.
const SEARCH = 'varrix';
const HOST_SECURITIES = [1001, 2001];
const SCENARIO = 'Pages check scenario';

function smallBook(folder) {
  const book = JSON.parse(fs.readFileSync(demoBook, 'utf8'));
  book.hostPage = { securities: HOST_SECURITIES, scenarios: [{ description: 'Stock +10%', stockChange: 10 }] };
  const file = path.join(folder, 'book.json');
  fs.writeFileSync(file, JSON.stringify(book));
  return file;
}

// Starts the service and resolves with its address once it says where it
// listens.
function startService(folder) {
  const child = spawn(serviceBinary, [
    '--listen', '127.0.0.1:0', '--database', path.join(folder, 'pages.sqlite'), '--control', controlDir,
    '--book', smallBook(folder), '--today', s.TODAY, '--threads', '2', '--engine-threads', '1',
  ], { stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const origin = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`zemra-pages did not start:\n${output}`)), SERVICE_START_MS);
    const read = (chunk) => {
      output += chunk;
      const found = /zemra-pages: (http:\/\/127\.0\.0\.1:\d+)\//.exec(output);
      if (found) { clearTimeout(timer); resolve(found[1]); }
    };
    child.stdout.on('data', read);
    child.stderr.on('data', read);
    exited.then(({ code }) => { clearTimeout(timer); reject(new Error(`zemra-pages exited (${code}):\n${output}`)); });
  });
  return {
    origin,
    output: () => output,
    // SIGTERM stops it cleanly; one that hangs is killed after a while.
    async stop() {
      if (child.exitCode !== null || child.signalCode !== null) return exited;
      child.kill('SIGTERM');
      const timer = setTimeout(() => child.kill('SIGKILL'), SERVICE_STOP_MS);
      const result = await exited;
      clearTimeout(timer);
      return result;
    },
  };
}

async function waitIdle(page) {
  await page.waitForFunction(() => !window.zemraTestDiagnostics().busy, null, { timeout: VALUATION_WAIT_MS });
}

const dialogShown = (page, name) => page.$(`zemra-impact-analysis .zemra-dialog[data-dialog="${name}"]`);

async function storedScenarios(origin) {
  const reply = await fetch(`${origin}/pages/GetScenario`);
  assert.equal(reply.status, 200);
  return (await reply.text()).split('|').filter((p) => p !== '').map((p) => p.split(';')[1]);
}

const missing = !fs.existsSync(serviceBinary)
  ? `${serviceBinary} is not built: cmake --build build --target zemra-pages`
  : false;

test('a security added by quick search and a scenario saved, retrieved and deleted on zemra-pages',
  { skip: missing }, async (t) => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-pages-e2e-'));
    const service = startService(folder);
    t.after(async () => { await service.stop(); fs.rmSync(folder, { recursive: true, force: true }); });
    const origin = await service.origin;
    const browser = await s.launch();
    t.after(() => browser.close());
    const { page } = browser;
    const started = Date.now();
    await s.openPage(page, origin, '/');
    await waitIdle(page);
    const opened = Date.now();

    // (1) The search offers several securities; one of them is added.
    const securitiesBefore = await s.shown(page, 'LstSecurity');
    assert.equal(securitiesBefore.length, HOST_SECURITIES.length);
    await page.click(s.sel('QuickSearchFld'));
    await page.keyboard.type(SEARCH);
    await page.keyboard.press('Enter');
    await waitIdle(page);
    assert.ok(await dialogShown(page, 'DlgAddSec'), `no Add Security dialog; messages ${JSON.stringify(browser.dialogs)}`);
    const offered = await s.shown(page, 'SecSelList', 'DlgAddSec');
    assert.ok(offered.length > 1, `the search offered ${JSON.stringify(offered)}`);
    assert.ok(offered.every((row) => /varrix/i.test(row)), `the search offered ${JSON.stringify(offered)}`);
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
    const added = Date.now();

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
    const done = Date.now();

    // The only message box is the question before deleting.
    assert.deepEqual(browser.dialogs, [{
      type: 'confirm',
      message: `Are you sure you want to delete the selected scenario from database:'${SCENARIO}'?`,
    }]);
    assert.deepEqual(browser.errors, []);
    // Every page the control asked answered without a fault.
    const asked = service.output().split('\n').filter((l) => / \/pages\//.test(l));
    const pagesAsked = asked.map((l) => / \/pages\/(\w+)/.exec(l)[1]);
    for (const page of ['QuickSearch', 'InsertScenario', 'GetScenario', 'DelScenario']) {
      assert.ok(pagesAsked.includes(page), `${page} was not asked:\n${asked.join('\n')}`);
    }
    assert.deepEqual(asked.filter((l) => !/ 200 \d+us$/.test(l)), []);
    t.diagnostic(`pages asked: ${[...new Set(pagesAsked)].join(', ')}`);
    t.diagnostic(`page opened and valued in ${opened - started} ms, security added in ${added - opened} ms, ` +
      `scenario saved, retrieved and deleted in ${done - added} ms`);
  });
