// The control's own work in one Update in headless Chromium: the demo host
// page with a generated portfolio of securities x scenarios (the native
// benchmark's, bench/impact_run_bench.cpp) and instant replies (the page's
// fetch answered in the page from replies made beforehand, so that no time
// goes to a server or the network). Prints one JSON line per size:
// {"securities", "scenarios", "runs", "ms_per_update", "min_ms"}.
//
//   node web/bench/update-bench.js [SECURITIESxSCENARIOS ...] [--runs N]
//
// (after a web build; default sizes 10x125 and 50x625, 5 runs each).
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const s = require('../tests/support.js');

const TYPES = ['B', 'E', 'AS', 'DS', 'P', 'CB'];

// As the native benchmark writes them ("%.4f").
const num = (v) => v.toFixed(4);

function securityText(k) {
  return `${1000 + k};Security ${k} 2.5% 2031 CV;${TYPES[k % 6]};${500 + k};${num(98.5 + (k % 7))};350;1;0;1;-12500;` +
    `${num(42.5 + (k % 11))};32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/2031;1.08;0;1;R;40;1;0.5`;
}

function scenarioText(j) {
  return `Scenario ${j};${(j % 41) - 20};${(j % 7) * 25};${(j % 5) - 2};${(j % 3) * 30};${j % 9};100;0;1;N`;
}

function parseArgs(argv) {
  const sizes = [];
  let runs = 5;
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--runs') {
      runs = Number(argv[++i]);
      if (!(runs >= 1)) throw new Error('--runs needs a whole number from 1');
      continue;
    }
    const m = /^(\d+)x(\d+)$/.exec(argv[i]);
    if (!m) throw new Error(`${argv[i]}: a size is SECURITIESxSCENARIOS, e.g. 50x625`);
    sizes.push([Number(m[1]), Number(m[2])]);
  }
  return { sizes: sizes.length ? sizes : [[10, 125], [50, 625]], runs };
}

// Runs in the page before its scripts: the page's fetch answers the
// stand-in pages at once from replies made here (the native benchmark's
// pieces: one per scenario, 31 numbers of valuation, 12 of carry).
function installInstantPages({ scenarios }) {
  const num4 = (v) => v.toFixed(4);
  const detailFor = new Map();
  const detail = (k) => {
    const key = k % 13;
    if (!detailFor.has(key)) {
      const pieces = [];
      for (let j = 0; j < scenarios; ++j) {
        const fields = [];
        for (let f = 0; f < 31; ++f) {
          fields.push(num4(f === 30 ? 0 : 10 + f * 3.25 + key * 0.5 + (f >= 15 ? (j % 17) * 0.125 : 0)));
        }
        pieces.push(fields.join(';'));
      }
      detailFor.set(key, pieces.join('|'));
    }
    return detailFor.get(key);
  };
  const carryPieces = [];
  for (let j = 0; j < scenarios; ++j) {
    carryPieces.push(`-120.50;310.25;2;${num4(189.75 + (j % 5))};-15.00;174.75;22.50;40.00;1;1.25;0.85;0.40`);
  }
  const carry = carryPieces.join('|');
  for (let k = 0; k < 13; ++k) detail(k);
  const pageFetch = window.fetch.bind(window);
  window.fetch = (input, init) => {
    const url = new URL(typeof input === 'string' ? input : input.url, location.href);
    if (!url.pathname.startsWith('/pages/')) return pageFetch(input, init);
    const id = Number(url.searchParams.get('Secid'));
    let body = '0';  // the capital page: one number
    if (url.pathname.endsWith('/ScenarioDetail.asp')) body = detail(id - 1000);
    else if (url.pathname.endsWith('/CarryCalc.asp')) body = carry;
    return Promise.resolve(new Response(body, { status: 200 }));
  };
}

async function measure(sizes, runs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zemra-bench-'));
  const results = [];
  try {
    for (const [securities, scenarios] of sizes) {
      const records = [];
      for (let k = 0; k < securities; ++k) records.push(securityText(k));
      const scenarioTexts = [];
      for (let j = 0; j < scenarios; ++j) scenarioTexts.push(scenarioText(j));
      const propertiesFile = path.join(dir, `portfolio-${securities}x${scenarios}.json`);
      fs.writeFileSync(propertiesFile, JSON.stringify({
        RecordString: records.join('|'),
        ScenarioString: scenarioTexts.join('|'),
        TunerString: '1;Standard|2;Aggressive',
        ScenarioDetailPath: 'http://stand-in/pages/ScenarioDetail.asp',
        CarryCalcPath: 'http://stand-in/pages/CarryCalc.asp',
        CapitalCalcPath: 'http://stand-in/pages/CapitalCalc.asp',
      }));
      const repliesFile = path.join(dir, 'replies.json');
      fs.writeFileSync(repliesFile, '[]');
      const server = await s.startServer({ properties: propertiesFile, replies: repliesFile });
      const browser = await s.launch();
      try {
        const { page } = browser;
        await page.addInitScript(installInstantPages, { scenarios });
        await s.openPage(page, server.origin, '/');  // start-up runs the first Update
        if (browser.dialogs.length) throw new Error(`the start-up reported: ${browser.dialogs[0].message}`);
        const times = await page.evaluate(async ({ runs, selector }) => {
          const button = document.querySelector('zemra-impact-analysis').shadowRoot.querySelector(selector);
          // Whether a call to the module runs, from the element's own
          // scheduler (the tests' diagnostics copy the whole state).
          const script = document.querySelector('script[src$="zemra-impact-analysis.js"]');
          const { scheduler } = await import(new URL('call-scheduler.js', script.src).href);
          const idle = () => new Promise((resolve) => {
            const check = () => (scheduler.busy ? setTimeout(check, 0) : resolve());
            setTimeout(check, 0);
          });
          const out = [];
          for (let r = 0; r < runs; ++r) {
            const start = performance.now();
            button.click();
            await idle();
            out.push(performance.now() - start);
          }
          return out;
        }, { runs, selector: '.zemra-w[data-form="MainCtl"][data-widget="UpdateBtn"]' });
        if (browser.dialogs.length) throw new Error(`the Update reported: ${browser.dialogs[0].message}`);
        if (browser.errors.length) throw new Error(`the page failed: ${browser.errors[0]}`);
        const mean = times.reduce((a, b) => a + b, 0) / times.length;
        results.push({ securities, scenarios, runs, ms_per_update: Number(mean.toFixed(1)),
          min_ms: Number(Math.min(...times).toFixed(1)) });
      } finally {
        await browser.close();
        await server.close();
      }
    }
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
  return results;
}

async function main() {
  const { sizes, runs } = parseArgs(process.argv.slice(2));
  for (const result of await measure(sizes, runs)) console.log(JSON.stringify(result));
}

if (require.main === module) {
  main().catch((e) => {
    console.error(e.message);
    process.exit(1);
  });
}

module.exports = { measure, parseArgs };
