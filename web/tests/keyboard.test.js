// The keyboard and the page's language: Enter and the arrows walk the input
// grid and Tab follows the model's tab order; a German and a Swedish page
// show the same figures as the English one, send the same requests, and let
// the user tab through every field.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

// The figures compared: fields and value labels of the sample's first
// security and its first scenario, and the impact list.
const FIGURES = ['TxtAssumptions(0)', 'TxtAssumptions(1)', 'TxtAssumptions(2)', 'TxtAssumptions(5)',
  'TxtAssumptions(6)', 'TxtAssumptions(7)', 'TxtDelta', 'TxtScenario(0)', 'TxtScenario(4)', 'LabelImpact',
  'LabelValuation(0)', 'LabelValuation(2)', 'LstImpact'];

// Every field a user can type in, in the panel's tab order.
const FIELDS = ['TxtScenario(0)', 'TxtScenario(1)', 'TxtScenario(2)', 'TxtScenario(3)', 'TxtScenario(4)',
  'TxtScenario(5)', 'DescriptionFld', 'TxtAssumptions(0)', 'TxtDelta', 'TxtAssumptions(5)', 'TxtAssumptions(1)',
  'TxtAssumptions(6)', 'TxtAssumptions(2)', 'TxtAssumptions(7)', 'TxtAssumptions(3)', 'TxtAssumptions(4)',
  'TxtDate', 'TxtAssumptions(8)', 'TxtAssumptions(9)', 'TxtDiscrYrs', 'TxtRecvDecVal', 'TxtTunerVal'];

// A number as the page's language writes it, read back in plain form.
function plain(text, lang) {
  const parts = new Intl.NumberFormat(lang).formatToParts(-12345.6);
  const group = parts.find((p) => p.type === 'group').value;
  const decimal = parts.find((p) => p.type === 'decimal').value;
  const minus = parts.find((p) => p.type === 'minusSign').value;
  return text.split(group).join('').split(minus).join('-').split(decimal).join('.');
}

async function figures(page, lang) {
  const shown = {};
  for (const name of FIGURES) shown[name] = [await s.shown(page, name)].flat().map((v) => plain(v, lang)).join('|');
  return shown;
}

// The grid by tab index.
const GRID = ['TxtScenario(0)', 'TxtScenario(1)', 'TxtScenario(2)', 'TxtScenario(3)', 'TxtScenario(4)', 'ComboTuner',
  'TxtScenario(5)', 'DescriptionFld', 'TxtAssumptions(0)', 'TxtDelta', 'TxtAssumptions(5)', 'TxtAssumptions(1)',
  'TxtAssumptions(6)', 'TxtAssumptions(2)', 'TxtAssumptions(7)', 'CallAdjustmentComb', 'TxtAssumptions(3)',
  'CurveComboBox', 'TxtAssumptions(4)'];

async function walk(page, key, from, steps) {
  await page.click(s.sel(GRID[from]));
  // A click on a drop-down opens its list: closed again, the key goes to
  // the drop-down itself.
  if (await page.$('zemra-impact-analysis .zemra-popup')) await page.keyboard.press('Escape');
  const seen = [await s.focusedWidget(page)];
  for (let i = 0; i < steps; ++i) {
    await page.keyboard.press(key);
    await s.waitIdle(page);
    seen.push(await s.focusedWidget(page));
  }
  return seen;
}

// The requests with the maturity left out: it is written with the page's
// date separator.
const withoutMaturity = (requests) => requests.map((r) => r.replace(/&Maturity=[^&]*/, ''));

test('Enter and the arrows walk the input grid, Tab the panel; German and Swedish pages show the English figures and tab through every field', async (t) => {
  const { server, browser, page } = await s.session(t, {}, '/?lang=en-US');
  const english = await figures(page, 'en-US');
  const englishRequests = withoutMaturity((await s.diagnostics(page)).log.requests);
  assert.equal(english['TxtAssumptions(1)'], '105.25');
  assert.equal(english['TxtAssumptions(5)'], '-12500');
  assert.deepEqual(await walk(page, 'Enter', 0, 19), [...GRID, GRID[0]]);
  assert.deepEqual(await walk(page, 'ArrowDown', 0, 11), [0, 1, 2, 3, 4, 5, 7, 8, 11, 13, 15, 18].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowUp', 18, 11), [18, 15, 13, 11, 8, 7, 5, 4, 3, 2, 1, 0].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowRight', 15, 2), [15, 16, 17].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowLeft', 10, 2), [10, 9, 8].map((i) => GRID[i]));
  // Tab follows the model's tab order: the grid first, in its tab indexes.
  assert.deepEqual(await walk(page, 'Tab', 0, 18), GRID);

  for (const lang of ['de-DE', 'sv-SE']) {
    await s.openPage(page, server.origin, `/?lang=${lang}`);
    assert.deepEqual(await figures(page, lang), english, lang);
    assert.deepEqual(withoutMaturity((await s.diagnostics(page)).log.requests), englishRequests, lang);

    // Tab from the first field round the panel: every field is reached and
    // none refuses to be left.
    await page.click(s.sel(FIELDS[0]));
    const visited = new Set([await s.focusedWidget(page)]);
    for (let i = 0; i < 60; i++) visited.add(await page.keyboard.press('Tab').then(() => s.focusedWidget(page)));
    assert.deepEqual(FIELDS.filter((field) => !visited.has(field)), [], `${lang}: fields not reached`);
    assert.deepEqual(browser.dialogs, [], lang);
    // Nothing changed: an Update sends what start-up's impact run sent (from
    // its first scenario-detail request; loading asked for the capital
    // figures before it).
    const impactRun = englishRequests.slice(englishRequests.findIndex((r) => r.includes('/ScenarioDetail.asp?')));
    const before = (await s.diagnostics(page)).log.requests.length;
    await page.click(s.sel('UpdateBtn'));
    await page.waitForFunction((n) => window.zemraTestDiagnostics().log.requests.length >= n, before + impactRun.length);
    await s.waitIdle(page);
    const again = (await s.diagnostics(page)).log.requests.slice(before);
    const withoutImpacts = (requests) => withoutMaturity(requests).map((r) => r.replace(/&Impact=[^&]*/, ''));
    assert.deepEqual(withoutImpacts(again), withoutImpacts(impactRun), lang);
    assert.deepEqual(await figures(page, lang), english, `${lang} after the Update`);
    assert.deepEqual(browser.dialogs, [], lang);
  }
  assert.deepEqual(browser.errors, []);
});

// A misplaced group separator is refused. In the dialogs: Escape closes the matrix dialog as Cancel does and Enter
// presses OK; a refused count is said once however often the focus tries
// to leave it; the dialog counts its scenarios. With several scenarios
// selected the scenario frame says why its fields are disabled.
test('Escape and Enter in a dialog, one message for a refused count, the count and the disabled frame\'s tooltip', async (t) => {
  const session = await s.session(t);
  const { browser, page } = session;
  const run = async (...lines) => { for (const line of lines) await s.perform(session, line); };
  const rows = (await s.shown(page, 'ScenarioLst')).length;
  // A comma that groups no thousands is refused, and the focus stays.
  const stock = await s.shown(page, 'TxtScenario(0)');
  await run('type TxtScenario(0) -12,5', 'key TxtScenario(0) 9');
  assert.deepEqual(browser.dialogs.splice(0).map((d) => d.message), ['Please enter only digit characters in Field!']);
  assert.equal(await s.focusedWidget(page), 'TxtScenario(0)');
  await run(`type TxtScenario(0) ${stock}`, 'key TxtScenario(0) 9');
  const matrixOpen = async () => (await page.$(s.sel('OKButton', 'DlgScenMatrix'))) !== null;
  await run('click BtnScenMatrix', 'type DlgScenMatrix.TxtStk(1) 5', 'key DlgScenMatrix.TxtStk(1) 27');
  assert.equal(await matrixOpen(), false);
  await run('click BtnScenMatrix', 'type DlgScenMatrix.TxtStk(1) 5', 'type DlgScenMatrix.TxtStk(2) 5',
    'key DlgScenMatrix.TxtStk(2) 9', 'click DlgScenMatrix.TxtStk(0)', 'click DlgScenMatrix.OKButton', 'key DlgScenMatrix.TxtStk(2) 13');
  assert.deepEqual(browser.dialogs.map((d) => d.message), ['The number in this field must be less than 5']);
  await run('type DlgScenMatrix.TxtStk(2) 4', 'type DlgScenMatrix.TxtVol(1) 1', 'type DlgScenMatrix.TxtVol(2) 4');
  assert.equal(await s.shown(page, 'LbCount', 'DlgScenMatrix'), '25 scenarios');
  await run('key DlgScenMatrix.TxtVol(2) 13');
  assert.equal(await matrixOpen(), false);
  assert.equal((await s.shown(page, 'ScenarioLst')).length, rows + 25);
  await run('select ScenarioLst 0', 'ctrlselect ScenarioLst 1');
  assert.equal(await page.$eval(s.sel('ScenarioFrame'), (el) => el.title), 'Several scenarios are selected: select one to edit it.');
  assert.deepEqual(browser.errors, []);
});
