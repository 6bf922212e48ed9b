// Extended selection in the scenario list: Ctrl- and Shift-clicks select
// several scenarios and switch the panel to its several-scenarios mode; a
// plain click goes back to one scenario.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support.js');

const MODE = ['ScenarioLst', 'TxtScenario(0)', 'TxtScenario(5)', 'TxtDate', 'DescriptionFld', 'ComboScenario',
  'BtnUptTuner', 'UpdateBtn', 'ScenarioAddBtn', 'AssumptionFrame', 'TxtAssumptions(0)', 'LabelImpact'];

const row = (n) => `${s.sel('ScenarioLst')} .zemra-row >> nth=${n}`;

test('a multiple selection switches the panel\'s mode', async (t) => {
  const server = await s.startServer();
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  const dumps = s.runHeadless([
    'ctrlselect ScenarioLst 2', `dump ${MODE.join(' ')}`,
    'shiftselect ScenarioLst 4', `dump ${MODE.join(' ')}`,
    'select ScenarioLst 3', `dump ${MODE.join(' ')}`,
  ].join('\n') + '\n');
  const expectShown = async (dump, step) => {
    for (const name of MODE) assert.deepEqual(await s.shownAsDump(page, name), s.visibleFields(s.panelWidgets(dump)[name]), `${name} ${step}`);
  };

  await s.openPage(page, server.origin, '/');
  await page.click(row(2), { modifiers: ['Control'] });
  await expectShown(dumps[0], 'after a Ctrl-click');
  // Several scenarios: single editing is off, the common tuner is on.
  assert.equal(s.panelWidgets(dumps[0])['TxtScenario(0)'].enabled, false);
  assert.equal(s.panelWidgets(dumps[0]).BtnUptTuner.enabled, true);
  assert.deepEqual(s.panelWidgets(dumps[0]).ScenarioLst.selected, [true, false, true, false, false]);

  await page.click(row(4), { modifiers: ['Shift'] });
  await expectShown(dumps[1], 'after a Shift-click');
  assert.deepEqual(s.panelWidgets(dumps[1]).ScenarioLst.selected, [false, false, true, true, true]);

  await page.click(row(3));
  await expectShown(dumps[2], 'after a plain click');
  assert.equal(s.panelWidgets(dumps[2])['TxtScenario(0)'].enabled, true);
  assert.equal(await s.focusedWidget(page), 'ScenarioLst');
  assert.deepEqual(browser.dialogs, []);
  assert.deepEqual(browser.errors, []);
});
