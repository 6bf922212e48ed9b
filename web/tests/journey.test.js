// The same script of user actions gives the same control state in the
// headless host and in the page: the page's actions are real mouse and
// keyboard input on the rendered elements. Each journeys/NAME.script runs on
// the sample portfolio, or on NAME.properties.json and NAME.replies.json
// when they are there; a line "#screenshot FILE" (a comment to the headless
// host) writes a screenshot of the page. At every dump the page shows what
// the model holds, its focus and text selection are the model's, and every
// browser message box is one of the control's; at the end every window the
// control opened is open at its address and no text became markup.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const s = require('./support.js');

const JOURNEYS = path.join(__dirname, 'journeys');
const SHOT = '#screenshot ';
const stripOrigin = (address) => address.replace(/^https?:\/\/[^/]+/, '');

// The page's state in the form of the headless host's dump: the same
// snapshot, restricted to the elements the dump names, with what the
// control asked of the page.
function asDump(diag, want) {
  const forms = diag.state.forms.map((form, i) => ({ ...form,
    widgets: Object.fromEntries(Object.keys(want.forms[i] ? want.forms[i].widgets : {}).filter((n) => n in form.widgets).map((n) => [n, form.widgets[n]])) }));
  return normalised({ ...diag.state, forms, ...diag.log });
}
const normalised = (dump) => ({ ...dump, requests: dump.requests.map(stripOrigin), browserWindows: dump.browserWindows.map(stripOrigin) });

// The focused element of the form the user works in (the newest dialog, else
// the panel) and, for a field, its selection, in the page and in the model.
const focusShown = (page) => page.evaluate(() => {
  const el = document.querySelector('zemra-impact-analysis').shadowRoot.activeElement;
  return el && el.dataset.widget ? [el.dataset.widget, ...(el.matches('input[type=text]') ? [el.selectionStart, el.selectionEnd] : [])] : null;
});
function focusHeld(state) {
  const form = state.forms[state.forms.length - 1];
  const w = form.focus && form.widgets[form.focus];
  // A page cannot focus a disabled element; with none the page's stays.
  return w && w.enabled && w.visible ? [form.focus, ...(w.kind === 'textbox' ? [w.selStart, w.selStart + w.selLength] : [])] : null;
}

for (const file of fs.readdirSync(JOURNEYS).filter((f) => f.endsWith('.script')).sort()) {
  const name = path.basename(file, '.script');
  const own = (suffix) => [path.join(JOURNEYS, `${name}.${suffix}.json`)].find((candidate) => fs.existsSync(candidate));
  test(`the browser and the headless host agree on the journey ${name}`, (t) => runJourney(t, file, { properties: own('properties'), replies: own('replies') }));
}

async function runJourney(t, file, files) {
  const script = fs.readFileSync(path.join(JOURNEYS, file), 'utf8');
  const expected = s.runHeadless(script, files).map(normalised);
  const server = await s.startServer(files);
  const browser = await s.launch();
  t.after(async () => { await browser.close(); await server.close(); });
  const { page } = browser;
  const opened = [];
  browser.context.on('page', (p) => opened.push(p.waitForLoadState().then(() => stripOrigin(p.url()))));
  await s.openPage(page, server.origin, '/');

  // The element takes the page's focus once the user acts in it.
  let dumpIndex = 0, acted = false;
  const lines = script.split('\n').map((l) => l.trim()).filter((l) => l !== '' && (!l.startsWith('#') || l.startsWith(SHOT)));
  for (const line of lines) {
    if (line.startsWith(SHOT)) await s.screenshot(page, line.slice(SHOT.length).trim());
    else if (!line.startsWith('dump')) { await s.perform(browser, line); acted = true; }
    if (!line.startsWith('dump')) continue;
    const want = expected[dumpIndex++];
    assert.ok(want, `the headless host printed no dump ${dumpIndex}`);
    const diag = await s.diagnostics(page);
    const got = asDump(diag, want);
    for (const [i, form] of want.forms.entries()) {
      for (const [widget, fields] of Object.entries(form.widgets)) {
        const where = `dump ${dumpIndex}: ${form.name}.${widget}`;
        assert.deepEqual(got.forms[i] && got.forms[i].widgets[widget], fields, where);
        assert.deepEqual(await s.shownAsDump(page, widget, form.name), s.visibleFields(fields), `${where} as shown`);
      }
    }
    assert.deepEqual(got, want, `dump ${dumpIndex}`);
    const held = focusHeld(diag.state);
    if (acted && held) assert.deepEqual(await focusShown(page), held, `dump ${dumpIndex}: the focus and selection shown`);
    assert.equal(browser.dialogs.length, got.messages.length, `dump ${dumpIndex}: message boxes ${JSON.stringify(browser.dialogs)}`);
  }
  assert.equal(dumpIndex, expected.length);
  assert.deepEqual(await Promise.all(opened), expected.length ? expected[expected.length - 1].browserWindows : []);
  assert.equal(await page.$$eval('zemra-impact-analysis >> css=img, b, script, iframe', (n) => n.length), 0, 'markup elements');
  assert.deepEqual(browser.errors, []);
}
