// How long a study takes in the page's worker against native sa_study on one thread, both
// measured here, one after the other, on the same machine. Prints the figures; never fails on
// them. Usage: node bench.mjs --help

import { spawnSync } from 'node:child_process';
import { fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('bench.mjs',
  "Times RUNS runs of the demo's schedule in the web page's worker and in native\n" +
  'sa_study --jobs 1, each REPEATS times, and prints the medians and their ratio.', {
    page: { help: "the built page's index.html" },
    'sa-study': { help: 'the native sa_study' },
    browser: { value: '/usr/bin/chromium-headless-shell', help: 'headless Chromium' },
    runs: { value: '10000', metavar: 'RUNS', help: 'runs in each study' },
    seed: { value: '1', metavar: 'S', help: 'seed of run 0' },
    repeats: { value: '3', metavar: 'REPEATS', help: 'times each study is timed' },
  });
for (const name of ['runs', 'seed', 'repeats']) {
  if (!/^[0-9]+$/.test(options[name]) || (name !== 'seed' && Number(options[name]) === 0)) {
    process.stderr.write(`bench.mjs: --${name} needs a whole number${name === 'seed' ? '' : ' above 0'}, not '${options[name]}'\n`);
    process.exit(2);
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const seconds = (values) => values.map((v) => v.toFixed(3)).join(' ');
const study = ['--seed', options.seed, '--runs', options.runs, '--jobs', '1'];

const native = [];
for (let i = 0; i < Number(options.repeats); ++i) {
  const began = process.hrtime.bigint();
  const run = spawnSync(options['sa-study'], study, { stdio: ['ignore', 'ignore', 'pipe'] });
  native.push(Number(process.hrtime.bigint() - began) / 1e9);
  if (run.status !== 0) {
    process.stderr.write(`bench.mjs: sa_study failed: ${run.stderr}`);
    process.exit(1);
  }
}

const browser = await launchBrowser(options.browser);
const web = [];
let same = false;
try {
  const { page } = await openPage(browser, fileUrl(options.page));
  const params = { seed: options.seed, runs: options.runs };
  // The worker and its module start once, as on the page, before the clock runs.
  await page.evaluate(() => window.sa.study({ seed: 1, runs: 10 }));
  let csv = '';
  for (let i = 0; i < Number(options.repeats); ++i) {
    const timed = await page.evaluate(async (p) => {
      const began = performance.now();
      const result = await window.sa.study(p);
      return { seconds: (performance.now() - began) / 1000, csv: result.csv };
    }, params);
    web.push(timed.seconds);
    csv = timed.csv;
  }
  const counts = (text) => text.split('\n').slice(0, 2).map((line) => line.split(',').slice(0, 11).join());
  same = counts(csv).join() === counts(nativeStudy(options['sa-study'], study)).join();
} finally {
  await browser.close();
}

const command = `sa_study ${study.join(' ')}`;
process.stdout.write(
  `${command}, native:  ${median(native).toFixed(3)} s  (median of ${seconds(native)})\n` +
  `the same study in the page's worker:  ${median(web).toFixed(3)} s  (median of ${seconds(web)})\n` +
  `page / native: ${(median(web) / median(native)).toFixed(2)}   (the same counts: ${same ? 'yes' : 'NO'})\n`);
