// How long studies take in the page's worker against native sa_study on one thread, both
// measured here, one after the other, on the same machine: the demo's schedule on its grid of
// 17 bits, a study on a grid of 24 bits, whose preparation dominates it, and the demo's schedule
// again under continuous acceptance, whose worse moves take two draws and an exponential where
// the demo's rule takes one draw and a table. Prints the figures; never fails on them.
// Usage: node bench.mjs --help

import { spawnSync } from 'node:child_process';
import { fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('bench.mjs',
  "Times RUNS runs of the demo's schedule, WIDE_RUNS runs on a grid of WIDE_BITS bits, and RUNS\n" +
  "runs of the demo's schedule under continuous acceptance, in the web page's worker and in\n" +
  'native sa_study --jobs 1, each REPEATS times, and prints the medians, their ratios, and the\n' +
  "cost of a trial under continuous acceptance against the demo's.", {
    page: { help: "the built page's index.html" },
    'sa-study': { help: 'the native sa_study' },
    browser: { value: '/usr/bin/chromium-headless-shell', help: 'headless Chromium' },
    runs: { value: '10000', metavar: 'RUNS', help: 'runs of the study on the demo grid' },
    'wide-runs': { value: '1000', metavar: 'WIDE_RUNS', help: 'runs of the study on the wide grid' },
    'wide-bits': { value: '24', metavar: 'WIDE_BITS', help: 'digits of the wide grid' },
    seed: { value: '1', metavar: 'S', help: 'seed of run 0' },
    repeats: { value: '3', metavar: 'REPEATS', help: 'times each study is timed' },
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
const commandLine = (params) => [...Object.entries(params).flatMap(([name, value]) => [`--${name}`, value]),
  '--jobs', '1'];

const timeNative = (args) => {
  const times = [];
  for (let i = 0; i < Number(options.repeats); ++i) {
    const began = process.hrtime.bigint();
    const run = spawnSync(options['sa-study'], args, { stdio: ['ignore', 'ignore', 'pipe'] });
    times.push(Number(process.hrtime.bigint() - began) / 1e9);
    if (run.status !== 0) {
      process.stderr.write(`bench.mjs: sa_study failed: ${run.stderr}`);
      process.exit(1);
    }
  }
  return times;
};

const native = studies.map((params) => timeNative(commandLine(params)));

const browser = await launchBrowser(options.browser);
const web = [];
const same = [];
const trialsPerRun = [];
try {
  const { page } = await openPage(browser, fileUrl(options.page));
  // The worker and its module start once, as on the page, before the clock runs.
  await page.evaluate(() => window.sa.study({ seed: 1, runs: 10 }));
  const counts = (text) => text.split('\n').slice(0, 2).map((line) => line.split(',').slice(0, 11).join());
  for (const params of studies) {
    const times = [];
    let csv = '';
    for (let i = 0; i < Number(options.repeats); ++i) {
      const timed = await page.evaluate(async (p) => {
        const began = performance.now();
        const result = await window.sa.study(p);
        return { seconds: (performance.now() - began) / 1000, csv: result.csv };
      }, params);
      times.push(timed.seconds);
      csv = timed.csv;
    }
    web.push(times);
    same.push(counts(csv).join() === counts(nativeStudy(options['sa-study'], commandLine(params))).join());
    const [heading, row] = csv.split('\n').map((line) => line.split(','));
    trialsPerRun.push(Number(row[heading.indexOf('trials_per_run')]));
  }
} finally {
  await browser.close();
}

let report = '';
studies.forEach((params, i) => {
  report +=
    `sa_study ${commandLine(params).join(' ')}, native:  ${median(native[i]).toFixed(3)} s  (median of ${seconds(native[i])})\n` +
    `the same study in the page's worker:  ${median(web[i]).toFixed(3)} s  (median of ${seconds(web[i])})\n` +
    `page / native: ${(median(web[i]) / median(native[i])).toFixed(2)}   (the same counts: ${same[i] ? 'yes' : 'NO'})\n\n`;
});
report += `in the page, the second study / the first: ${(median(web[1]) / median(web[0])).toFixed(2)}\n`;
// Nanoseconds a trial, the study's whole time over its trials.
const perTrial = (times, i) => (median(times[i]) / (Number(studies[i].runs) * trialsPerRun[i])) * 1e9;
for (const [name, times] of [["in the page's worker", web], ['native, sa_study --jobs 1', native]]) {
  const [demo, continuous] = [perTrial(times, demoRule), perTrial(times, continuousRule)];
  report += `a trial of the demo's schedule, ${name}: ${demo.toFixed(1)} ns under the demo's acceptance, ` +
    `${continuous.toFixed(1)} ns under continuous acceptance: ${(continuous / demo).toFixed(2)} times\n`;
}
process.stdout.write(report);
