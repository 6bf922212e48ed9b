// The control's own work in one Update natively and in headless Chromium,
// side by side, so that a regression on either side shows as a change of
// the ratio. The native figure is the benchmark's (zemra_bench,
// BM_Update: real time per Update, with its CPU time), the browser figure
// update-bench.js's, both on the same generated portfolios with instant
// replies.
//
//   node web/bench/side-by-side.js ZEMRA_BENCH [--runs N] [SIZES ...]
//
// (scripts/bench.sh builds both and runs this.)
'use strict';

const { spawnSync } = require('node:child_process');
const { measure, parseArgs } = require('./update-bench.js');

function nativeFigures(bench, sizes) {
  const filter = `BM_Update/(${sizes.map(([k, j]) => `${k}/${j}`).join('|')})/`;
  const run = spawnSync(bench, [`--benchmark_filter=${filter}`, '--benchmark_format=json'], {
    encoding: 'utf8', maxBuffer: 16 * 1024 * 1024,
  });
  if (run.status !== 0) throw new Error(`${bench} failed: ${run.stderr}`);
  const figures = new Map();
  for (const b of JSON.parse(run.stdout).benchmarks) {
    const m = /^BM_Update\/(\d+)\/(\d+)/.exec(b.name);
    if (m) figures.set(`${m[1]}x${m[2]}`, { real: b.real_time, cpu: b.cpu_time });
  }
  return figures;
}

async function main() {
  const [bench, ...rest] = process.argv.slice(2);
  if (!bench) throw new Error('usage: node web/bench/side-by-side.js ZEMRA_BENCH [--runs N] [SIZES ...]');
  const { sizes, runs } = parseArgs(rest);
  const native = nativeFigures(bench, sizes);
  const browser = await measure(sizes, runs);
  const pad = (text, width) => String(text).padStart(width);
  console.log(`${'portfolio'.padEnd(14)}${pad('native ms', 11)}${pad('(cpu ms)', 10)}${pad('Chromium ms', 13)}${pad('ratio', 8)}`);
  for (const b of browser) {
    const key = `${b.securities}x${b.scenarios}`;
    const n = native.get(key);
    if (!n) throw new Error(`the native benchmark has no figure for ${key}`);
    console.log(`${`${b.securities} x ${b.scenarios}`.padEnd(14)}${pad(n.real.toFixed(1), 11)}${pad(n.cpu.toFixed(1), 10)}` +
      `${pad(b.ms_per_update.toFixed(1), 13)}${pad((b.ms_per_update / n.real).toFixed(1), 8)}`);
  }
}

main().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
