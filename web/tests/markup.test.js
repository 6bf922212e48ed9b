// Texts reach the page as text: a description that looks like markup shows
// as typed and runs nothing, whether it comes from the properties, from the
// server or from the user.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('./support.js');

const IMG = '<img src=x onerror=alert(1)>';
const BOLD = '<b>bold</b> & "quoted"';

async function markupElements(page) {
  return page.evaluate(() => {
    const root = document.querySelector('zemra-impact-analysis').shadowRoot;
    return root.querySelectorAll('img, b, script, iframe').length;
  });
}

test('markup in a description stays text', async (t) => {
  const sample = JSON.parse(fs.readFileSync(path.join(s.repo, 'samples', 'portfolio.json'), 'utf8'));
  // The first security and a stored scenario get descriptions with markup.
  sample.RecordString = sample.RecordString.replace('ACME 2.5% 2031 CV', IMG);
  sample.StoredScenarios = sample.StoredScenarios.replace('Vol down 20%', BOLD);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-markup-'));
  const properties = path.join(dir, 'portfolio.json');
  fs.writeFileSync(properties, JSON.stringify(sample));
  const server = await s.startServer({ properties });
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); fs.rmSync(dir, { recursive: true, force: true }); });
  const { page } = browser;

  await s.openPage(page, server.origin, '/');
  assert.equal((await s.shown(page, 'LstSecurity'))[0], IMG);
  await page.click(s.sel('ComboScenario'));
  const entries = await page.$$eval('zemra-impact-analysis .zemra-popup-entry', (rows) => rows.map((r) => r.textContent));
  assert.ok(entries.includes(BOLD), `the saved scenarios list ${JSON.stringify(entries)}`);
  await page.keyboard.press('Escape');

  // Typed by the user and added as a scenario.
  await page.fill(s.sel('DescriptionFld'), IMG);
  await page.click(s.sel('ScenarioAddBtn'));
  const rows = await s.shown(page, 'ScenarioLst');
  assert.equal(rows[rows.length - 1], IMG);
  assert.equal(await s.shown(page, 'DescriptionFld'), IMG);

  assert.equal(await markupElements(page), 0);
  assert.deepEqual(browser.dialogs, [], 'nothing ran');
  assert.deepEqual(browser.errors, []);
});
