// How long studies take in the page against native sa_study, all measured here, taking turns on
// the same machine: the page with one worker and with a worker a core, sa_study --jobs 1 and
// sa_study on every core. The studies: the demo's schedule on its grid of 17 bits, a study on a
// grid of 24 bits, whose preparation dominates it, and the demo's schedule again under
// continuous acceptance, whose worse moves take two draws and an exponential where the demo's
// rule takes one draw and a table. The page's own module also runs here, in node, as a worker
// runs it, to tell the browser's cost from WebAssembly's. Prints the figures; never fails on them.
// Usage: node bench.mjs --help

import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { availableParallelism } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { browserOptions, fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('bench.mjs',
  "Times RUNS runs of the demo's schedule, WIDE_RUNS runs on a grid of WIDE_BITS bits, and RUNS\n" +
  "runs of the demo's schedule under continuous acceptance, in the web page with one worker and\n" +
  'with a worker a core, and in native sa_study with one job and with a job a core, taking turns,\n' +
  'each REPEATS times, and prints the medians, their ratios, and the cost of a trial.', {
    page: { help: "the built page's index.html" },
    'sa-study': { help: 'the native sa_study' },
    ...browserOptions,
    runs: { value: '10000', metavar: 'RUNS', help: 'runs of the study on the demo grid' },
    'wide-runs': { value: '1000', metavar: 'WIDE_RUNS', help: 'runs of the study on the wide grid' },
    'wide-bits': { value: '24', metavar: 'WIDE_BITS', help: 'digits of the wide grid' },
    seed: { value: '1', metavar: 'S', help: 'seed of run 0' },
    repeats: { value: '3', metavar: 'REPEATS', help: 'times each study is timed each way' },
  });
for (const name of ['runs', 'wide-runs', 'wide-bits', 'seed', 'repeats']) {
  if (!/^[0-9]+$/.test(options[name]) || (name !== 'seed' && Number(options[name]) === 0)) {
    process.stderr.write(`bench.mjs: --${name} needs a whole number${name === 'seed' ? '' : ' above 0'}, not '${options[name]}'\n`);
    process.exit(2);
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const seconds = (values) => values.map((v) => v.toFixed(3)).join(' ');
const studies = [
  { seed: options.seed, runs: options.runs },
  { seed: options.seed, runs: options['wide-runs'], bits: options['wide-bits'] },
  { seed: options.seed, runs: options.runs, acceptance: 'continuous' },
];
// The first study, and the last, which repeats it under continuous acceptance.
const demoRule = 0;
const continuousRule = 2;
const cores = availableParallelism();
const commandLine = (params, jobs) => [...Object.entries(params).flatMap(([name, value]) => [`--${name}`, value]),
  '--jobs', String(jobs)];

function timeNative(args) {
  const began = process.hrtime.bigint();
  const run = spawnSync(options['sa-study'], args, { stdio: ['ignore', 'ignore', 'pipe'] });
  if (run.status !== 0) {
    process.stderr.write(`bench.mjs: sa_study failed: ${run.stderr}`);
    process.exit(1);
  }
  return Number(process.hrtime.bigint() - began) / 1e9;
}

// The page's module in node, made to take itself for a worker's script; and a study run on it
// by the page's own worker code (worker.js), fed its messages as the page feeds them.
globalThis.importScripts = () => {};
globalThis.self = { location: { href: pathToFileURL(options.page).href } };
const folder = path.dirname(options.page);
const moduleSource = readFileSync(path.join(folder, 'sa_module.js'), 'utf8');
const createSaModule = new Function(`${moduleSource}; return createSaModule;`)();
const inNode = await createSaModule();
const workerMain = new Function(`${readFileSync(path.join(folder, 'js', 'worker.js'), 'utf8')}; return saWorkerMain;`)();
const wasm = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(moduleSource)[1];
const worker = { postMessage: (message) => ('result' in message || 'error' in message) && worker.answer(message) };
workerMain(worker, createSaModule, 'the module failed');
worker.onmessage({ data: { compiled: await WebAssembly.compile(Buffer.from(wasm, 'base64')) } });
async function timeInNode(params) {
  const began = process.hrtime.bigint();
  const fields = Object.fromEntries(Object.entries(params).map(([name, value]) => [name, String(value)]));
  const { plan } = inNode.planSchedule(fields, { decimalPoint: '.', listSeparator: ',' }, 1);
  const answered = new Promise((resolve) => {
    worker.answer = resolve;
  });
  await worker.onmessage({ data: { id: 1, kind: 'study', payload: { plan, bins: 100 } } });
  const { result, error } = await answered;
  if (error) {
    process.stderr.write(`bench.mjs: the study failed in node: ${error}\n`);
    process.exit(1);
  }
  return { seconds: Number(process.hrtime.bigint() - began) / 1e9, csv: result.csv };
}
// What a study makes before its runs, in the module: its grid, and the first time the
// acceptance thresholds, which the module then keeps.
function preparation(bits) {
  const { plan } = inNode.planSchedule({ seed: '1', runs: '1', bits: String(bits) },
    { decimalPoint: '.', listSeparator: ',' }, 1);
  const began = process.hrtime.bigint();
  new inNode.StudyJob({ plan }).delete();
  return Number(process.hrtime.bigint() - began) / 1e6;
}
const prepared = [['the first study on 17 bits', 17], ['the next', 17], ['one on 20 bits', 20],
  [`one on ${options['wide-bits']} bits`, Number(options['wide-bits'])]]
  .map(([name, bits]) => `${name} ${preparation(bits).toFixed(1)} ms`);
await timeInNode({ seed: 1, runs: 3000 });  // compiled and its hot code optimised, as in the page

// The ways each study is run, in the order they take turns.
const ways = [
  { name: 'sa_study --jobs 1', native: 1 },
  { name: `sa_study --jobs ${cores}`, native: cores },
  { name: "the page's study, one worker", workers: 1 },
  { name: "the page's study, the page's workers", workers: null },
  { name: "the page's module in node, one thread", node: true },
];

const browser = await launchBrowser(options.browser, options.engine);
const times = studies.map(() => ways.map(() => []));
const same = studies.map(() => ways.map(() => true));
const trialsPerRun = [];
let pageWorkers = 0;
try {
  const { page } = await openPage(browser, fileUrl(options.page));
  pageWorkers = await page.evaluate(() => navigator.hardwareConcurrency);
  // The workers and their module start once, as on the page, before the clock runs.
  await page.evaluate(() => window.sa.study({ seed: 1, runs: 3000 }));
  const counts = (text) => text.split('\n').slice(0, 2).map((line) => line.split(',').slice(0, 11).join()).join();
  for (const [s, params] of studies.entries()) {
    const native = counts(nativeStudy(options['sa-study'], commandLine(params, 1)));
    for (let i = 0; i < Number(options.repeats); ++i) {
      for (const [w, way] of ways.entries()) {
        if (way.native) {
          times[s][w].push(timeNative(commandLine(params, way.native)));
          continue;
        }
        const timed = way.node ? await timeInNode(params) : await page.evaluate(async (p, workers) => {
          const began = performance.now();
          const result = await window.sa.study(p, workers === null ? {} : { workers });
          return { seconds: (performance.now() - began) / 1000, csv: result.csv };
        }, params, way.workers);
        times[s][w].push(timed.seconds);
        same[s][w] &&= counts(timed.csv) === native;
        const [heading, row] = timed.csv.split('\n').map((line) => line.split(','));
        trialsPerRun[s] = Number(row[heading.indexOf('trials_per_run')]);
      }
    }
  }
} finally {
  await browser.close();
}

// The median time of study s the way a over that of study t the way b.
const ratioOf = (s, a, t, b) => (median(times[s][a]) / median(times[t][b])).toFixed(2);
const ratio = (s, a, b) => ratioOf(s, a, s, b);
let report = `${cores} cores; the page's workers: ${Math.min(pageWorkers, 8)}\n\n`;
for (const [s, params] of studies.entries()) {
  report += `sa_study ${commandLine(params, 1).slice(0, -2).join(' ')}\n`;
  for (const [w, way] of ways.entries()) {
    report += `  ${way.name.padEnd(40)} ${median(times[s][w]).toFixed(3)} s  (median of ${seconds(times[s][w])})` +
      `${way.native ? '' : `  the same counts: ${same[s][w] ? 'yes' : 'NO'}`}\n`;
  }
  report += `  page, one worker / sa_study --jobs 1: ${ratio(s, 2, 0)}\n` +
    `  page, its workers / sa_study --jobs 1: ${ratio(s, 3, 0)}\n` +
    `  page, its workers / sa_study --jobs ${cores}: ${ratio(s, 3, 1)}\n` +
    `  page, one worker in ${browser.engine} / the module in node: ${ratio(s, 2, 4)}\n\n`;
}
report += `in the page, one worker, the second study / the first: ${ratioOf(1, 2, 0, 2)}\n`;
// Nanoseconds a trial, the study's whole time over its trials.
const perTrial = (s, w) => (median(times[s][w]) / (Number(studies[s].runs) * trialsPerRun[s])) * 1e9;
for (const [w, way] of ways.entries()) {
  const [demo, continuous] = [perTrial(demoRule, w), perTrial(continuousRule, w)];
  report += `a trial, ${way.name}: ${demo.toFixed(1)} ns under the demo's acceptance, ` +
    `${continuous.toFixed(1)} ns under continuous acceptance: ${(continuous / demo).toFixed(2)} times\n`;
}
report += `a study's grid and tables in the page's module in node: ${prepared.join(', ')}\n`;
process.stdout.write(report);
