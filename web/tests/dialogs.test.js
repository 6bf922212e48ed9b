// The Rates and Capital Settings dialogs as in-page windows, and the
// keyboard: Enter and the arrows across the input grid, Tab through the
// panel.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('./support.js');

// The sample's replies, with the carry page answering the new finance rate
// and the capital page answering the other capital rule.
function replies() {
  const sample = JSON.parse(fs.readFileSync(path.join(s.repo, 'samples', 'replies.json'), 'utf8'));
  const page = 'http://127.0.0.1:8080/pages/';
  sample.unshift(
    { match: `${page}CarryCalc.asp?Secid=1001&FinRate=6&`, reply: '0;0;0;500;0;-250;0;0;0;0;0;0' },
    { match: `${page}CapitalCalc.asp?Secid=1001&ConvPosition=1000&StkPosition=-12500&CapitalRule=2&`, reply: '-2500' },
  );
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-dialogs-')), 'replies.json');
  fs.writeFileSync(file, JSON.stringify(sample));
  return file;
}

async function open(t) {
  const server = await s.startServer({ replies: replies() });
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  await s.openPage(browser.page, server.origin, '/');
  return browser;
}

const dialogShown = (page, name) => page.$(`zemra-impact-analysis .zemra-dialog[data-dialog="${name}"]`);

test('the Rates dialog changes the finance rate and the carry option', async (t) => {
  const browser = await open(t);
  const { page } = browser;
  const impactsBefore = await s.shown(page, 'LstImpact');
  await page.click(s.sel('BtnCarry'));
  await s.waitIdle(page);
  assert.ok(await dialogShown(page, 'DlgCarry'));
  assert.equal(await s.shown(page, 'TxtFinRate', 'DlgCarry'), '5.250');
  await page.click(s.sel('TxtFinRate', 'DlgCarry'));
  await page.keyboard.type('6');
  await page.click(s.sel('OptNetCarry', 'DlgCarry'));
  assert.equal(await s.shown(page, 'TxtTailRate', 'DlgCarry'), '6');
  await page.click(s.sel('OKButton', 'DlgCarry'));
  await s.waitIdle(page);
  assert.equal(await dialogShown(page, 'DlgCarry'), null);
  assert.equal(await s.shown(page, 'LbCarry'), '(250)');
  assert.notDeepEqual(await s.shown(page, 'LstImpact'), impactsBefore);
  const { log } = await s.diagnostics(page);
  assert.ok(log.requests.some((r) => r.includes('CarryCalc.asp?Secid=1001&FinRate=6&') && r.endsWith('&TimeChg=0')));
  assert.deepEqual(browser.errors, []);
});

test('Capital Settings picks a rule and LbCapital shows its capital', async (t) => {
  const browser = await open(t);
  const { page } = browser;
  assert.equal(await s.shown(page, 'LbCapital'), '15,251');
  await page.click(s.sel('BtnCapital'));
  await s.waitIdle(page);
  assert.ok(await dialogShown(page, 'DlgCapital'));
  assert.equal(await s.shown(page, 'ComboCpRule', 'DlgCapital'), 'Standard');
  await page.click(s.sel('ComboCpRule', 'DlgCapital'));
  await page.click('zemra-impact-analysis .zemra-popup-entry[data-entry="1"]');
  assert.equal(await s.shown(page, 'ComboCpRule', 'DlgCapital'), 'Reg T');
  await page.click(s.sel('OKButton', 'DlgCapital'));
  await s.waitIdle(page);
  assert.equal(await dialogShown(page, 'DlgCapital'), null);
  assert.equal(await s.shown(page, 'LbCapital'), '(2,500)');
  assert.deepEqual(browser.errors, []);
});

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

test('Enter and the arrows walk the nineteen fields; Tab goes through the panel', async (t) => {
  const browser = await open(t);
  const { page } = browser;
  assert.deepEqual(await walk(page, 'Enter', 0, 19), [...GRID, GRID[0]]);
  assert.deepEqual(await walk(page, 'ArrowDown', 0, 11), [0, 1, 2, 3, 4, 5, 7, 8, 11, 13, 15, 18].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowUp', 18, 11), [18, 15, 13, 11, 8, 7, 5, 4, 3, 2, 1, 0].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowRight', 15, 2), [15, 16, 17].map((i) => GRID[i]));
  assert.deepEqual(await walk(page, 'ArrowLeft', 10, 2), [10, 9, 8].map((i) => GRID[i]));
  // Tab follows the model's tab order: the grid first, in its tab indexes.
  assert.deepEqual(await walk(page, 'Tab', 0, 18), GRID);
  const { state } = await s.diagnostics(page);
  assert.equal(state.forms[0].focus, 'TxtAssumptions(4)');
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
});
