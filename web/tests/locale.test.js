// The page's language: a German and a Swedish page show the same figures
// as the English one, send the same requests, and let the user tab through
// every field; a reply larger than the control reads is a failed request.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
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

async function openIn(page, origin, lang) {
  await page.goto(`${origin}/?lang=${lang}&today=2026-12-06`);
  await page.waitForFunction(() => window.controlStarted !== undefined);
  await page.evaluate(() => window.controlStarted);
}

async function figures(page, lang) {
  const shown = {};
  for (const name of FIGURES) {
    const value = await s.shown(page, name);
    shown[name] = Array.isArray(value) ? value.map((v) => plain(v, lang)) : plain(value, lang);
  }
  return shown;
}

// The requests with the maturity left out: it is written with the page's
// date separator.
const withoutMaturity = (requests) => requests.map((r) => r.replace(/&Maturity=[^&]*/, ''));

test('German and Swedish pages show the English figures and let the user tab through every field', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;

  await openIn(page, server.origin, 'en-US');
  const english = await figures(page, 'en-US');
  const englishRequests = withoutMaturity((await s.diagnostics(page)).log.requests);
  assert.equal(english['TxtAssumptions(1)'], '105.25');
  assert.equal(english['TxtAssumptions(5)'], '-12500');

  for (const lang of ['de-DE', 'sv-SE']) {
    await openIn(page, server.origin, lang);
    assert.deepEqual(await figures(page, lang), english, lang);
    assert.deepEqual(withoutMaturity((await s.diagnostics(page)).log.requests), englishRequests, lang);

    // Tab from the first field round the panel: every field is reached and
    // none refuses to be left.
    await page.click(s.sel(FIELDS[0]));
    const visited = new Set([await s.focusedWidget(page)]);
    for (let i = 0; i < 60; i++) {
      await page.keyboard.press('Tab');
      visited.add(await s.focusedWidget(page));
    }
    for (const field of FIELDS) assert.ok(visited.has(field), `${lang}: ${field} was not reached`);
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

test('a reply larger than the control reads is a failed request naming the page', async (t) => {
  const sample = JSON.parse(fs.readFileSync(path.join(__dirname, '..', '..', 'samples', 'replies.json'), 'utf8'));
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-replies-'));
  const replies = path.join(dir, 'replies.json');
  const huge = '|'.repeat(8 * 1024 * 1024 + 1);
  fs.writeFileSync(replies, JSON.stringify([{ match: '/pages/ScenarioDetail.asp', reply: huge }, ...sample]));
  const server = await s.startServer({ replies });
  const browser = await s.launch();
  t.after(async () => {
    await browser.close();
    await server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  });
  const { page } = browser;
  await openIn(page, server.origin, 'en-US');
  assert.equal(browser.dialogs.length, 1);
  assert.match(browser.dialogs[0].message,
    /The reply of http:\/\/127\.0\.0\.1:\d+\/pages\/ScenarioDetail\.asp is too large: 8388609 bytes or more, where a reply may have at most 8388608 bytes\./);
  const { state } = await s.diagnostics(page);
  assert.equal(state.pointer, 0);
  assert.deepEqual(browser.errors, []);
});
