// The web page in Debian's headless Chromium, held against the native sa_demo and sa_study
// built from the same checkout: sessions, studies and traces must be the same to the byte,
// bad schedule values must bring sa_study's own messages, and the controls must step the run
// they show. Usage: node suite.mjs --help

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('suite.mjs', 'Tests the built web page in headless Chromium.', {
  page: { help: "the built page's index.html" },
  'sa-demo': { help: 'the native sa_demo' },
  'sa-study': { help: 'the native sa_study' },
  browser: { value: '/usr/bin/chromium-headless-shell', help: 'headless Chromium' },
  faketime: { value: '/usr/bin/faketime', help: 'starts sa_demo in a chosen clock second' },
  screenshots: { help: 'folder for the screenshots' },
});

// sa_study's option for each of the page's fields.
const optionOf = { seed: 'seed', runs: 'runs', t0: 't0', alpha: 'alpha', tFinal: 't-final', trials: 'trials', bits: 'bits' };
const argumentsOf = (params) => Object.entries(params).map(([field, value]) => `--${optionOf[field]}=${value}`);

// sa_demo started in clock second `second`, its input on a pipe.
function nativeSession(second, input) {
  const moment = new Date(second * 1000).toISOString().slice(0, 19).replace('T', ' ');
  // -f: a clock that stands still, however long the session takes.
  const run = spawnSync(options.faketime, ['-f', moment, options['sa-demo']], {
    input, encoding: 'utf8', env: { ...process.env, TZ: 'UTC' },
  });
  assert.equal(run.status, 0, `sa_demo in second ${second}: ${run.stderr}`);
  return run.stdout;
}

// sa_study's one-line message for bad values, without the program's name.
function nativeRefusal(args) {
  const run = spawnSync(options['sa-study'], args, { encoding: 'utf8' });
  assert.equal(run.status, 2, `sa_study ${args.join(' ')} should refuse its values`);
  return run.stderr.replace(/^sa_study: /, '').trimEnd();
}

const csvLines = (csv) => csv.trimEnd().split('\n');
// A study's CSV as rows of named fields, less those that time the runs.
function withoutTimings(csv) {
  const [heading, ...lines] = csvLines(csv).map((line) => line.split(','));
  return lines.map((fields) => Object.fromEntries(fields
    .map((value, i) => [heading[i], value])
    .filter(([name]) => !/(_us|_seconds)$/.test(name))));
}

let browser;
let page;
const messages = [];  // console messages and errors of every page opened
const requests = [];  // what the page on disk loaded

before(async () => {
  for (const program of ['sa-demo', 'sa-study']) {
    assert.ok(existsSync(options[program]), `no native program at ${options[program]}: build the native ` +
      'programs first (cmake --workflow --preset dev), or name their folder in SA_WEB_NATIVE_DIR');
  }
  mkdirSync(options.screenshots, { recursive: true });
  browser = await launchBrowser(options.browser);
  const opened = await openPage(browser, fileUrl(options.page), undefined, requests);
  page = opened.page;
  messages.push(opened.messages);
  await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Seed'));
});

after(async () => {
  await browser?.close();
});

// ---- Helpers that work the page as a user does

async function typeInto(selector, text) {
  await page.$eval(selector, (input) => {
    input.value = '';
  });
  await page.type(selector, text);
}

// Types the fields, the schedule's others left empty for the demo's values, and waits until
// sa_study has checked them.
async function fillFields(params) {
  await page.click('#demo-schedule');
  for (const [field, value] of Object.entries(params)) {
    await typeInto(`[name=${field}]`, String(value));
  }
  await page.waitForSelector('#schedule-form[aria-busy=false]');
}

// A schedule, and the run restarted on it.
async function chooseSchedule(params) {
  await fillFields({ runs: 1000, ...params });
  await page.waitForFunction((seed) => document.querySelector('#run-status').textContent.startsWith(`Seed ${seed}:`), {}, params.seed);
}

const text = (selector) => page.$eval(selector, (element) => element.textContent);
const levelRows = () => page.$$eval('#levels tbody tr', (rows) => rows.map((row) => row.dataset.csv));

// ---- The tests

describe('the page', () => {
  test('loads from disk, fetching nothing, and weighs at most 1 MB', () => {
    const local = requests.filter((url) => url.startsWith('file:'));
    assert.deepEqual(requests.filter((url) => !/^(file|blob|data):/.test(url)), []);
    const bytes = local.reduce((sum, url) => sum + statSync(fileURLToPath(url)).size, 0);
    assert.ok(local.some((url) => url.endsWith('sa_module.js')), 'the module was not loaded');
    assert.ok(bytes <= 1_000_000, `the page loads ${bytes} bytes`);
  });

  test('served over HTTP, runs the same session', async () => {
    const folder = path.dirname(options.page);
    const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' };
    const server = createServer((request, response) => {
      const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname));
      try {
        const body = readFileSync(file.endsWith('/') ? path.join(file, 'index.html') : file);
        response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'text/html' });
        response.end(body);
      } catch {
        response.writeHead(404);
        response.end();
      }
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    try {
      const served = await openPage(browser, `http://127.0.0.1:${server.address().port}/`);
      messages.push(served.messages);
      const second = 1765432100;
      const input = '1\n2\n0\n';
      assert.equal(await served.page.evaluate((s, i) => window.sa.session(s, i), second, input),
        nativeSession(second, input));
      await served.page.close();
    } finally {
      server.close();
    }
  });
});

describe("sa_demo's sessions", () => {
  const inputs = [
    ['the README session', '1\n2\n2\n0\n'],
    ['annealing before a solution, then the end of input', '2\n1\n2\n'],
    ['choices on one line without a line feed', '1 2 0'],
    ['text, choices out of range and signs', 'x\n7\n-1\n+1\n2\n0\n'],
    ['no input at all', ''],
    ['runs in a row until the input ends', '1\n2\n2\n2\n2\n'],
    ['a number longer than any integer, a space after 2', '99999999999999999999\n1\n2 \n0\n'],
  ];

  test('are the native sa_demo\'s, byte for byte, in 301 clock seconds', async (t) => {
    // Seconds a little over a day apart, from December 2025 on: each takes the inputs in turn.
    const sessions = Array.from({ length: 301 }, (_, i) => [1765000000 + i * 104729, inputs[i % inputs.length][1]]);
    const printed = await page.evaluate((all) => Promise.all(all.map(([s, input]) => window.sa.session(s, input))), sessions);
    const differing = sessions.filter(([second, input], i) => printed[i] !== nativeSession(second, input));
    t.diagnostic(`${sessions.length} sessions compared, ${differing.length} differed`);
    assert.deepEqual(differing, []);
  });

  test('typed into the console pane, print what sa_demo prints', async () => {
    const second = 1765123456;
    await typeInto('[name=second]', String(second));
    await page.click('#console-second button');
    await page.waitForFunction(() => !document.querySelector('#console-line').disabled);
    const lines = ['1', '2', 'x', '2', '0'];
    for (const [i, line] of lines.entries()) {
      await page.type('#console-line', line);
      await page.keyboard.press('Enter');
      await page.waitForFunction((typed) => document.querySelectorAll('#console-output .typed').length === typed &&
        document.querySelector('#console-output').lastElementChild.className !== 'typed', {}, i + 1);
    }
    await page.waitForSelector('#console-output .ended');
    const printed = await page.$$eval('#console-output .printed', (spans) => spans.map((s) => s.textContent).join(''));
    assert.equal(printed, nativeSession(second, '1\n2\nx\n2\n0\n'));
    assert.equal(await page.$eval('#console-line', (input) => input.disabled), true);
  });
});

describe("sa_study's studies", () => {
  const studies = [
    ["the demo's schedule", { seed: 1765000000, runs: 1000 }],
    ['a cool, fast schedule on 12 bits', { seed: 42, runs: 2000, t0: 1, alpha: 0.9, tFinal: 0.001, trials: 4, bits: 12 }],
    ['a slow schedule on 20 bits', { seed: 7, runs: 200, t0: 10, alpha: 0.99, tFinal: 0.01, bits: 20 }],
    ['one trial a level on 5 bits', { seed: 3, runs: 500, t0: 0.5, alpha: 0.5, tFinal: 0.01, trials: 1, bits: 5 }],
  ];
  for (const [name, params] of studies) {
    test(`give sa_study's figures: ${name}`, async () => {
      const study = await page.evaluate((p) => window.sa.study(p), params);
      assert.deepEqual(withoutTimings(study.csv), withoutTimings(nativeStudy(options['sa-study'], argumentsOf(params))));
    });
  }

  test('run from the page, can be cancelled, and the next one still counts right', async () => {
    await chooseSchedule({ seed: 11 });
    await typeInto('[name=runs]', '100000');
    await page.waitForFunction(() => !document.querySelector('#study-start').disabled);
    await page.click('#study-start');
    await page.waitForFunction(() => document.querySelector('#study-progress').value > 0);
    await page.click('#study-cancel');
    await page.waitForFunction(() => document.querySelector('#study-status').textContent.startsWith('Cancelled'));
    assert.equal(await page.$eval('#study-cancel', (b) => b.disabled), true);

    await typeInto('[name=runs]', '300');
    await page.waitForFunction(() => !document.querySelector('#study-start').disabled);
    await page.click('#study-start');
    await page.waitForFunction(() => document.querySelector('#study-status').textContent.startsWith('Done'), { timeout: 60000 });
    assert.deepEqual(withoutTimings(await text('#study-csv')),
      withoutTimings(nativeStudy(options['sa-study'], ['--seed=11', '--runs=300'])));
  });
});

describe('bad schedule values', () => {
  const refused = [
    ['t0', '-1'], ['t0', 'abc'], ['t0', '0.05'], ['t0', '1e40'], ['alpha', '1.5'], ['alpha', '0'],
    ['alpha', '0.9:0.8:0.1'], ['tFinal', '0'], ['trials', '0'], ['trials', '2.5'], ['bits', '30'],
    ['bits', '1'], ['seed', '-5'], ['seed', 'x'], ['seed', '4294967296'], ['runs', '0'], ['runs', 'ten'],
  ];
  for (const [field, value] of refused) {
    test(`are refused with sa_study's message: ${field} ${value}`, async () => {
      const fields = { seed: '5', runs: '1000', [field]: value };
      await fillFields(fields);
      const message = nativeRefusal(argumentsOf(fields));
      assert.equal((await text('#schedule-error')) + (await text('#study-error')), message);
      if (message.startsWith(`--${optionOf[field]}`)) {
        assert.equal(await page.$eval(`[name=${field}]`, (input) => input.getAttribute('aria-invalid')), 'true');
      }
      assert.equal(await page.$eval('#study-start', (b) => b.disabled), true);
    });
  }

  test('come to scripts as faults, and reject a study or trace with the same words', async () => {
    const fields = { seed: '5', bits: '30' };
    const message = nativeRefusal(argumentsOf(fields));
    const checked = await page.evaluate((f) => window.sa.check(f), fields);
    assert.equal(checked.error, message);
    assert.deepEqual(checked.fault, { kind: 'out_of_range', field: 'bits', value: '30', shown: '30', limit: 'from 2 to 24' });
    for (const call of ['study', 'trace']) {
      const refusal = await page.evaluate((c, f) => window.sa[c](f).catch((e) => ({ message: e.message, fault: e.fault })), call, fields);
      assert.deepEqual(refusal, { message, fault: checked.fault });
    }
  });
});

describe('the run', () => {
  test("as traced by sa.trace is sa_study --trace's", async () => {
    for (const params of [{ seed: 5 }, { seed: 1765000000, t0: 1, alpha: 0.95, tFinal: 0.0001, trials: 3, bits: 10 }]) {
      const rows = await page.evaluate((p) => window.sa.trace(p), params);
      const [heading, ...lines] = csvLines(nativeStudy(options['sa-study'], ['--trace', ...argumentsOf(params)]));
      const names = heading.split(',');
      assert.deepEqual(rows, lines.map((line) => Object.fromEntries(line.split(',').map((v, i) => [names[i], Number(v)]))));
    }
  });

  test('steps as its controls say, through the levels of sa_study --trace', async () => {
    const params = { seed: 1765000000, t0: 1, alpha: 0.95, tFinal: 0.0001, trials: 3, bits: 10 };
    const [, ...native] = csvLines(nativeStudy(options['sa-study'], ['--trace', ...argumentsOf(params)]));
    const total = native.length * params.trials;
    await chooseSchedule(params);
    assert.equal(await text('#live-trial'), '–');

    // One trial at a time through the first level: the level's accepted moves are the verdicts.
    let accepted = 0;
    for (let trial = 1; trial <= params.trials; ++trial) {
      await page.click('#step-trial');
      assert.equal(await text('#live-trial'), `${trial} of ${total}`);
      accepted += (await text('#live-verdict')) === 'accepted' ? 1 : 0;
    }
    const [first] = await levelRows();
    assert.equal(first, native[0]);
    const [, , improving, worsening] = first.split(',').map(Number);
    assert.equal(improving + worsening, accepted);

    await page.click('#step-level');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 2);
    assert.equal(await text('#live-trial'), `6 of ${total}`);

    // Play, then pause: the run goes on, then stands still.
    await page.$eval('#speed', (speed) => {
      speed.value = speed.max;
      speed.dispatchEvent(new Event('input'));
    });
    await page.click('#play');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length >= 4);
    await page.click('#play');
    const paused = await text('#live-trial');
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await text('#live-trial'), paused);
    assert.equal(await page.$eval('#play', (b) => b.getAttribute('aria-pressed')), 'false');

    await page.click('#to-end');
    await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Finished'));
    assert.equal(await text('#live-trial'), `${total} of ${total}`);
    assert.deepEqual(await levelRows(), native);
    assert.equal(await page.$eval('#step-trial', (b) => b.disabled), true);

    await page.click('#restart');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 0);
    assert.equal(await text('#live-trial'), '–');
  });
});

describe('look and use', () => {
  test('every control is labelled and reached by the keyboard', async () => {
    await chooseSchedule({ seed: 5 });
    await page.click('#console-second button');
    await page.waitForFunction(() => !document.querySelector('#console-line').disabled);
    const unlabelled = await page.$$eval('input, button', (controls) => controls
      .filter((c) => !(c.labels && c.labels.length > 0) && !c.getAttribute('aria-label') && !c.textContent.trim())
      .map((c) => c.outerHTML));
    assert.deepEqual(unlabelled, []);

    await page.focus('body');
    const reached = new Set();
    for (let i = 0; i < 40; ++i) {
      await page.keyboard.press('Tab');
      reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.name));
    }
    for (const control of ['t0', 'bits', 'seed', 'demo-schedule', 'play', 'step-trial', 'step-level', 'to-end',
      'restart', 'speed', 'runs', 'study-start', 'second', 'console-line']) {
      assert.ok(reached.has(control), `${control} is not reached by Tab`);
    }
    await page.focus('#step-trial');
    await page.keyboard.press('Enter');
    assert.equal(await text('#live-trial'), '1 of 1,816');
  });

  test('fits 1280 × 800 and a 390 px phone, as the screenshots show', async () => {
    await chooseSchedule({ seed: 1765000000 });
    for (let level = 0; level < 12; ++level) {
      await page.click('#step-level');
    }
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 12);
    await page.waitForSelector('#run-plot[data-bits]');
    await page.$eval('#run', (section) => section.scrollIntoView());
    await page.screenshot({ path: path.join(options.screenshots, 'page-1280.png') });

    const phone = await openPage(browser, fileUrl(options.page), { width: 390, height: 844, deviceScaleFactor: 2 });
    messages.push(phone.messages);
    await phone.page.waitForSelector('#study-plot[data-bits]');
    await phone.page.screenshot({ path: path.join(options.screenshots, 'page-390.png'), fullPage: true });
    const width = await phone.page.evaluate(() => document.documentElement.scrollWidth);
    await phone.page.close();
    assert.ok(width <= 390, `the page is ${width} px wide on a 390 px screen`);
  });

  test('no page logged an error or a warning', () => {
    assert.deepEqual(messages.flat().filter((m) => ['error', 'warn', 'warning', 'pageerror'].includes(m.type)), []);
  });
});
