// The web page in Debian's headless Chromium or Firefox ESR, held against the native sa_demo and
// sa_study built from the same checkout: sessions, studies, traces, populations and sweeps must
// be the same to the byte, bad values must bring sa_study's own messages, the controls and keys
// must step the run they show, a link must restore its experiment in either language, and
// axe-core must find nothing wrong. Usage: node suite.mjs --help

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { axeViolations, browserOptions, csvFields, engineOf, fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('suite.mjs', 'Tests the built web page in headless Chromium or Firefox ESR.', {
  page: { help: "the built page's index.html" },
  'sa-demo': { help: 'the native sa_demo' },
  'sa-study': { help: 'the native sa_study' },
  ...browserOptions,
  faketime: { value: '/usr/bin/faketime', help: 'starts sa_demo in a chosen clock second' },
  screenshots: { help: 'folder for the screenshots' },
});

const engine = engineOf(options.browser, options.engine);

// sa_study's option for each of the page's params; the page's fields are named as the options.
const optionOf = {
  seed: 'seed', runs: 'runs', t0: 't0', alpha: 'alpha', tFinal: 't-final', trials: 'trials', bits: 'bits', landscape: 'landscape',
  xMin: 'x-min', xMax: 'x-max',
};
const argumentsOf = (params) => Object.entries(params).map(([field, value]) => `--${optionOf[field]}=${value}`);
const portuguese = { decimalPoint: ',', listSeparator: ';' };

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
// A CSV's rows of named fields, less those that time the runs.
function withoutTimings(csv) {
  const [heading, ...lines] = csvLines(csv).map(csvFields);
  return lines.map((fields) => Object.fromEntries(fields
    .map((value, i) => [heading[i], value])
    .filter(([name]) => !/(_us|_seconds|_ms)$|^median_measured$/.test(name))));
}
// A CSV's rows as window.sa gives them: numbers as numbers, an empty field as null, less the
// timings.
const rowsOfCsv = (csv) => withoutTimings(csv).map((row) => Object.fromEntries(Object.entries(row)
  .map(([name, value]) => [name, value === '' ? null : Number.isNaN(Number(value)) ? value : Number(value)])));

// What the suite has held against the native programs, told when it ends: the sessions, the
// studies, traces, populations and sweeps, and the fields of their rows.
const compared = { sessions: 0, studies: 0, traces: 0, populations: 0, sweeps: 0, fields: 0 };
const fieldsOf = (rows) => rows.reduce((total, row) => total + Object.keys(row).length, 0);
// The page's study CSV against sa_study's for `args`, field by field but for the timings.
function assertNativeStudy(csv, args) {
  const native = withoutTimings(nativeStudy(options['sa-study'], args));
  assert.deepEqual(withoutTimings(csv), native);
  compared.studies += 1;
  compared.fields += fieldsOf(native);
}

let browser;
let page;
const messages = [];  // console messages and errors of every page opened
const requests = [];  // what the page on disk loaded

// The page on disk at `query`, its run loaded.
async function openAt(query, viewport = undefined) {
  const opened = await openPage(browser, fileUrl(options.page) + query, viewport);
  messages.push(opened.messages);
  await opened.page.waitForFunction(() => document.querySelector('#run-status').textContent !== '');
  return opened.page;
}

before(async () => {
  for (const program of ['sa-demo', 'sa-study']) {
    assert.ok(existsSync(options[program]), `no native program at ${options[program]}: build the native ` +
      'programs first (cmake --workflow --preset dev), or name their folder in SA_WEB_NATIVE_DIR');
  }
  mkdirSync(options.screenshots, { recursive: true });
  browser = await launchBrowser(options.browser, engine);
  const opened = await openPage(browser, `${fileUrl(options.page)}?lang=en`, undefined, requests);
  page = opened.page;
  messages.push(opened.messages);
  await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Seed'));
});

after(async () => {
  await browser?.close();
  const counts = Object.entries(compared).map(([what, count]) => `${what} ${count}`).join(', ');
  process.stdout.write(`# ${engine}: held against sa_demo ` +
    `and sa_study: ${counts}\n`);
});

// ---- Helpers that work the page as a user does

async function typeInto(selector, text, on = page) {
  await on.$eval(selector, (input) => {
    input.value = '';
  });
  await on.type(selector, text);
}

// Types the fields, the schedule's others left empty for the demo's values, and waits until
// sa_study has checked them.
async function fillFields(params, on = page) {
  await on.click('#demo-schedule');
  for (const [field, value] of Object.entries(params)) {
    await typeInto(`[name=${optionOf[field]}]`, String(value), on);
  }
  await on.waitForSelector('#schedule-form[aria-busy=false]');
}

// The landscape's fields set (those left out emptied) and the demo's schedule, checked.
async function setLandscape(fields, on = page) {
  await on.evaluate((values) => {
    for (const [name, value] of Object.entries(values)) {
      document.querySelector(`[name=${name}]`).value = value;
    }
  }, { landscape: fields.landscape ?? '', 'x-min': fields.xMin ?? '', 'x-max': fields.xMax ?? '' });
  await on.click('#demo-schedule');
  await on.waitForSelector('#schedule-form[aria-busy=false]');
}

// A schedule, and the run restarted on it.
async function chooseSchedule(params, on = page) {
  await fillFields({ runs: 1000, ...params }, on);
  await on.waitForFunction((seed) => document.querySelector('#run-status').textContent.startsWith(`Seed ${seed}:`), {}, params.seed);
}

// Where the question, the answer and the view stand once a lesson step has run, in CSS pixels
// of the viewport: `answer` spans what the view marks as showing the answer, or its main figure
// alone where that span is taller than the screen.
const placeOfAnswer = (on, view) => on.evaluate((viewId) => {
  const box = (element) => {
    const { top, bottom } = element.getBoundingClientRect();
    return { top, bottom };
  };
  const span = (boxes) => ({ top: Math.min(...boxes.map((b) => b.top)), bottom: Math.max(...boxes.map((b) => b.bottom)) });
  const claims = [...document.querySelectorAll('#lesson-claims li')];
  const link = document.querySelector('#lesson-view-link');
  const marked = [...document.querySelectorAll(`#${viewId} [data-answer]`)].map(box);
  const all = span(marked);
  return {
    height: window.innerHeight,
    question: box(document.querySelector('#lesson-question')),
    result: box(document.querySelector('#lesson-result')),
    firstClaim: box(claims[0]),
    lastClaim: box(claims[claims.length - 1]),
    answer: all.bottom - all.top <= window.innerHeight - 16 ? all : marked[0],
    link: link.hidden ? null : { ...box(link), href: link.getAttribute('href') },
  };
}, view);
const inView = (box, height) => box.top >= 0 && box.bottom <= height;

// A study's median run, in rough figures for a rough clock (two significant digits at most), or
// said to be shorter than the clock's tick: a millisecond in Firefox, whose clock is coarse.
const medianPattern = {
  en: /^(about (\d\.\d|[1-9]\d?0*) µs|shorter than a tick of the page's clock) \(median\)$/,
  pt: /^(cerca de (\d,\d|[1-9]\d?0*) µs|mais curta do que um tique do relógio da página) \(mediana\)$/,
};
const blur = () => page.evaluate(() => document.activeElement.blur());
// The focus in the run, but on none of its controls, as a click on its plot leaves it.
const focusRun = () => page.focus('#run');
const text = (selector, on = page) => on.$eval(selector, (element) => element.textContent);
const levelRows = () => page.$$eval('#levels tbody tr', (rows) => rows.map((row) => row.dataset.csv));
// Whether window.sa has a call yet: the population and the sweep come with the page's interface.
const hasCall = (name) => page.evaluate((n) => typeof window.sa[n] === 'function', name);
const waiting = (name) => `waits for window.sa.${name}, which the page's interface has not yet`;

// ---- The tests

describe('the page', () => {
  test('loads from disk, fetching nothing', () => {
    assert.deepEqual(requests.filter((url) => !/^(file|blob|data):/.test(url)), []);
  });

  // The same files in every engine, weighed where the engine tells what it reads from disk.
  const unweighed = engine === 'firefox' && "Firefox's WebDriver BiDi reports no load from a file: address";
  test('weighs at most 1 MB, its module among what it loads', { skip: unweighed }, () => {
    const local = requests.filter((url) => url.startsWith('file:'));
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
      compared.sessions += 1;
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
    compared.sessions += sessions.length;
  });

  test('typed into the console pane, print what sa_demo prints; a bad clock second keeps the session', async () => {
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
    compared.sessions += 1;
    assert.equal(await page.$eval('#console-line', (input) => input.disabled), true);
    // The session has ended: the focus moves on from the field that closed, to Start again.
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Start again');

    for (const bad of ['not a second', '4294967296', '']) {
      const shown = await text('#console-output');
      await typeInto('[name=second]', bad);
      await page.click('#console-second button');
      if (bad === '') {
        // Empty means now, as a seed left out does.
        await page.waitForFunction(() => !document.querySelector('#console-line').disabled);
        assert.equal(await text('#console-error'), '');
        continue;
      }
      const message = nativeRefusal([`--seed=${bad}`]).replace('--seed', 'Clock second');
      await page.waitForFunction((m) => document.querySelector('#console-error').textContent === m, {}, message);
      assert.equal(await text('#console-output'), shown);
    }
  });
});

describe("sa_study's studies", () => {
  const studies = [
    ["the demo's schedule", { seed: 1765000000, runs: 1000 }],
    ['a cool, fast schedule on 12 bits', { seed: 42, runs: 2000, t0: 1, alpha: 0.9, tFinal: 0.001, trials: 4, bits: 12 }],
    ['a slow schedule on 20 bits', { seed: 7, runs: 200, t0: 10, alpha: 0.99, tFinal: 0.01, bits: 20 }],
    ['one trial a level on 5 bits', { seed: 3, runs: 500, t0: 0.5, alpha: 0.5, tFinal: 0.01, trials: 1, bits: 5 }],
    ...['smooth', 'needle', 'deceptive', 'rugged'].map((landscape, i) =>
      [`the preset ${landscape}`, { seed: 20 + i, runs: 500, landscape, ...(i === 3 ? { bits: 14 } : {}) }]),
    ['a formula with a comma, on [0, 3]', { seed: 8, runs: 500, landscape: 'max(sin(3 * x), 0.2) + 1', xMin: 0, xMax: 3 }],
    ['a drawing on [-1, 2.5]', { seed: 9, runs: 500, landscape: 'points:(-1,0.5),(0,1.25),(0.4,0.3),(1.5,1.6),(2.5,0.1)',
      xMin: -1, xMax: 2.5, bits: 15 }],
  ];
  for (const [name, params] of studies) {
    test(`give sa_study's figures: ${name}`, async () => {
      const study = await page.evaluate((p) => window.sa.study(p), params);
      assertNativeStudy(study.csv, argumentsOf(params));
      if (params.landscape) {
        // The schedule as the report names it, on its landscape.
        const { description } = await page.evaluate((p) => window.sa.check(p), params);
        const report = spawnSync(options['sa-study'], argumentsOf(params), { encoding: 'utf8' }).stdout.replace(/\s+/g, ' ');
        assert.ok(report.includes(`schedule: ${description} `) && description.includes(', on '), `${description} in ${report}`);
      }
      // The hills' basins cut the grid into parts, each run's best point in one of them.
      const { landscape, xMin, xMax, bits } = params;
      const { hills } = await page.evaluate((p) => window.sa.landscape(p, { columns: 10 }), { landscape, xMin, xMax, bits });
      assert.deepEqual(study.hills.map((hill) => hill.x), hills.map((hill) => hill.x));
      assert.equal(study.hills.reduce((total, hill) => total + hill.points, 0), 2 ** (params.bits ?? 17));
      assert.equal(study.hills.reduce((total, hill) => total + hill.runs, 0), params.runs);
    });
  }

  test('run from the page, can be cancelled, leave nothing outdated on show, and the next one counts right', async () => {
    await chooseSchedule({ seed: 11, runs: 100000 });
    await page.click('#study-start');
    await page.waitForFunction(() => document.querySelector('#study-progress').value > 0);
    // The pressed Start disables itself: the focus goes to Cancel, not to the page.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'study-cancel');
    await page.click('#study-cancel');
    await page.waitForFunction(() => document.querySelector('#study-status').textContent.startsWith('Cancelled'));
    assert.equal(await page.$eval('#study-cancel', (b) => b.disabled), true);
    assert.equal(await text('#result-runs'), '–');

    await typeInto('[name=runs]', '300');
    await page.waitForSelector('#schedule-form[aria-busy=false]');
    await page.waitForFunction(() => !document.querySelector('#study-start').disabled);
    await page.click('#study-start');
    await page.waitForFunction(() => document.querySelector('#study-status').textContent.startsWith('Done'), { timeout: 60000 });
    assertNativeStudy(await text('#study-csv'), ['--seed=11', '--runs=300']);
    assert.match(await text('#result-time'), medianPattern.en);
    // Its shares written as the lesson writes them: one decimal up to a thousand runs.
    const [row] = rowsOfCsv(await text('#study-csv'));
    for (const [shown, count] of [['#result-global', row.global_peak_runs], ['#result-exact', row.exact_optimum_runs]]) {
      assert.equal(await text(shown), `${((100 * count) / row.runs).toFixed(1)} % (${count})`);
    }

    await typeInto('[name=bits]', '8');
    await page.waitForSelector('#schedule-form[aria-busy=false]');
    assert.equal(await text('#result-runs'), '–');
    assert.equal(await text('#study-csv'), '');
    assert.match(await text('#study-status'), /^The fields have changed/);
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
      assert.equal((await text('#schedule-error')) + (await text('#runs-error')), message);
      if (message.startsWith(`--${optionOf[field]}`)) {
        const input = `[name=${optionOf[field]}]`;
        assert.equal(await page.$eval(input, (i) => i.getAttribute('aria-invalid')), 'true');
        const describedBy = await page.$eval(input, (i) => i.getAttribute('aria-describedby'));
        assert.equal(await text(`#${describedBy}`), message);
      }
      assert.equal(await page.$eval('#study-start', (b) => b.disabled), true);
    });
  }

  // Bad landscapes: the fields, the fault's kind and position, and its words in Portuguese.
  const badLandscapes = [
    [{ landscape: 'sin(x' }, 'bad_formula', 3, "--landscape: 'sin(x': o ( no carácter 4 nunca é fechado"],
    [{ landscape: 'x +' }, 'bad_formula', 3, "--landscape: 'x +': falta um valor no fim"],
    [{ landscape: '2 x' }, 'bad_formula', 2, "--landscape: '2 x': falta um operador antes de 'x' no carácter 3 " +
      '(um produto precisa de *)'],
    [{ landscape: 'max(x; 0.5)' }, 'bad_formula', 5, "--landscape: 'max(x; 0.5)': ';' no carácter 6 não tem lugar " +
      'numa fórmula'],
    [{ landscape: 'points:(1,0),(0.5,1)' }, 'bad_formula', 14, "--landscape: 'points:(1,0),(0.5,1)': o ponto no " +
      'carácter 15 não fica à direita do anterior'],
    [{ landscape: 'log(x)', xMin: '-1' }, 'not_finite_on_grid', undefined,
      "--landscape: 'log(x)' não é finita em x = -1 (em 17 bits)"],
    [{ xMin: '1', xMax: '0,5' }, 'empty_interval', undefined, '--x-max tem de estar acima de --x-min (x-min 1, x-max 0,5)'],
  ];
  const english = (fields) => Object.fromEntries(Object.entries(fields).map(([k, v]) => [k, k === 'landscape' ? v : v.replace(',', '.')]));
  test(`${badLandscapes.length} bad landscapes are refused in sa_study's words, in Portuguese too, and come to scripts as faults`, async () => {
    for (const [fields, kind, position, portugueseWords] of badLandscapes) {
      const message = nativeRefusal(argumentsOf({ seed: 5, ...english(fields) }));
      const checked = await page.evaluate((f) => window.sa.check(f), { seed: 5, ...english(fields) });
      assert.equal(checked.error, message);
      assert.deepEqual([checked.fault.kind, checked.fault.position], [kind, position], message);
      const study = await page.evaluate((f) => window.sa.study(f).catch((e) => e.message), { seed: 5, ...english(fields) });
      assert.equal(study, message);
      for (const [lang, typed, said] of [['en', english(fields), message], ['pt', fields, portugueseWords]]) {
        await page.click(`[data-lang=${lang}]`);
        await setLandscape(typed);
        assert.equal(await text('#schedule-error'), said, lang);
        const input = `[name=${optionOf[checked.fault.field]}]`;
        assert.equal(await page.$eval(input, (i) => i.getAttribute('aria-invalid')), 'true', said);
        assert.match(await page.$eval(input, (i) => i.getAttribute('aria-describedby')), /^schedule-error\b/);
      }
    }
    await page.click('[data-lang=en]');
    await setLandscape({});
  });

  test('in the runs and in the schedule are told both, and leave the run marked as not theirs', async () => {
    await chooseSchedule({ seed: 5 });
    await fillFields({ seed: '5', t0: '-1', runs: '0' });
    assert.equal(await text('#schedule-error'), nativeRefusal(['--seed=5', '--t0=-1']));
    assert.equal(await text('#runs-error'), nativeRefusal(['--seed=5', '--runs=0']));
    assert.equal(await page.$eval('#run-stale', (p) => p.hidden), false);
    assert.equal(await page.$eval('#play', (b) => b.disabled), true);
    await fillFields({ seed: '5', runs: '0' });
    // The run needs only the schedule.
    assert.equal(await page.$eval('#run-stale', (p) => p.hidden), true);
    assert.equal(await page.$eval('#play', (b) => b.disabled), false);
  });

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
      const native = lines.map((line) => Object.fromEntries(line.split(',').map((v, i) => [names[i], Number(v)])));
      assert.deepEqual(rows, native);
      compared.traces += 1;
      compared.fields += fieldsOf(native);
    }
  });

  test('steps as its controls and keys say, through the levels of sa_study --trace, its CSV kept up', async () => {
    const params = { seed: 1765000000, t0: 1, alpha: 0.95, tFinal: 0.0001, trials: 3, bits: 10 };
    const [, ...native] = csvLines(nativeStudy(options['sa-study'], ['--trace', ...argumentsOf(params)]));
    const total = native.length * params.trials;
    await chooseSchedule(params);
    assert.equal(await text('#live-trial'), '–');
    await page.click('#trace-details summary');

    // One trial at a time through the first level, by button and by key: the level's accepted
    // moves are the verdicts, and its worse moves taken and tried are counted apart.
    let accepted = 0;
    let worseTried = 0;
    for (let trial = 1; trial <= params.trials; ++trial) {
      if (trial === 1) {
        await page.click('#step-trial');
      } else {
        await focusRun();
        await page.keyboard.press('ArrowRight');
      }
      assert.equal(await text('#live-trial'), `${trial} of ${total}`);
      accepted += (await text('#live-verdict')) === 'accepted' ? 1 : 0;
      worseTried += (await text('#live-probability')).startsWith('1: a better move') ? 0 : 1;
    }
    const [first] = await levelRows();
    assert.equal(first, native[0]);
    const [, , improving, worsening] = first.split(',').map(Number);
    assert.equal(improving + worsening, accepted);
    assert.equal(await page.$eval('#levels tbody td:nth-child(4)', (cell) => cell.textContent), `${worsening} / ${worseTried}`);

    // Outside the run the keys are the page's: Page Down scrolls, and the run stays.
    await blur();
    const scrolled = await page.evaluate(() => window.scrollY);
    await page.keyboard.press('PageDown');
    await page.waitForFunction((before) => window.scrollY > before, {}, scrolled);
    assert.equal(await text('#live-trial'), `${params.trials} of ${total}`);
    await focusRun();
    await page.keyboard.press('PageDown');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 2);
    assert.equal(await text('#live-trial'), `6 of ${total}`);
    assert.deepEqual(csvLines(await text('#trace-csv')).slice(1), native.slice(0, 2));

    // Play, then pause, by key: the run goes on, then stands still; Space typed in a field
    // is the field's.
    await page.$eval('#speed', (speed) => {
      speed.value = speed.max;
      speed.dispatchEvent(new Event('input'));
    });
    assert.equal(await page.$eval('#speed', (s) => s.getAttribute('aria-valuetext')), '1,000 trials per second');
    await page.keyboard.press(' ');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length >= 4);
    await page.keyboard.press(' ');
    const paused = await text('#live-trial');
    await page.focus('[name=sweep-t0]');
    await page.keyboard.press('End');
    await page.keyboard.press(' ');
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await text('#live-trial'), paused);
    assert.equal(await page.$eval('#play', (b) => b.getAttribute('aria-pressed')), 'false');
    assert.equal(await page.$eval('[name=sweep-t0]', (input) => input.value), '1 ');
    await page.keyboard.press('Backspace');

    await page.focus('#to-end');
    await page.keyboard.press('End');
    await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Finished'));
    assert.equal(await text('#live-trial'), `${total} of ${total}`);
    assert.deepEqual(await levelRows(), native);
    assert.deepEqual(csvLines(await text('#trace-csv')).slice(1), native);
    compared.traces += 1;
    compared.fields += native.reduce((total, line) => total + line.split(',').length, 0);
    assert.equal(await page.$eval('#step-trial', (b) => b.disabled), true);
    // To the end disabled itself: the focus went on to Restart.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');

    await page.keyboard.press('Home');
    await page.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 0);
    assert.equal(await text('#live-trial'), '–');
    await page.click('#trace-details summary');
  });

  test("shows x's digits as sa_demo lists them, v[0] first", async () => {
    const seed = 1765000000;
    await chooseSchedule({ seed });
    const listed = [...nativeSession(seed, '1\n0\n').matchAll(/v\[\d+\]=(\d)/g)].map((match) => match[1]).join('');
    assert.equal(await page.$$eval('#digits .digit', (cells) => cells.map((c) => c.textContent).join('')), listed);
    compared.sessions += 1;
    await page.click('#step-trial');
    const position = Number((await text('#live-move')).match(/v\[(\d+)\]/)[1]);
    assert.deepEqual(await page.$$eval('#digits li.flipped', (cells) => cells.map((c) => c.textContent)), [
      `${(await page.$$eval('#digits .digit', (cells) => cells.map((c) => c.textContent)))[position]}v[${position}]`]);
  });

  test('runs and draws on grids of 2 and 3 bits, which have one hill', async () => {
    for (const bits of [2, 3]) {
      await chooseSchedule({ seed: 9, bits });
      await page.waitForSelector(`#run-plot[data-bits="${bits}"]`);
      await page.click('#to-end');
      await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Finished'));
      assert.equal(await page.$$eval('#digits li', (cells) => cells.length), bits);
    }
  });

  test('tabulates a grid of 24 bits with a way to stop', async (t) => {
    const cancellable = await page.evaluate(() => {
      const aborted = new AbortController();
      aborted.abort();
      return window.sa.landscape({ bits: 2 }, { signal: aborted.signal }).then(() => false, () => true);
    });
    if (!cancellable) {
      t.skip("waits for a landscape that the page's interface can stop");
      return;
    }
    await fillFields({ seed: 3, bits: 24 });
    await page.waitForFunction(() => !document.querySelector('#landscape-cancel').hidden);
    assert.match(await text('#landscape-status'), /^Tabulating f at 16,777,216 grid points/);
    await page.click('#landscape-cancel');
    await page.waitForFunction(() => document.querySelector('#landscape-cancel').hidden);
    assert.equal(await text('#landscape-status'), 'Tabulation stopped: change Bits or the landscape to draw another grid.');
    await fillFields({ seed: 3, bits: 10 });
    await page.waitForSelector('#run-plot[data-bits="10"]');
    assert.equal(await text('#landscape-status'), '');
  });

  test('the schedule form stops the checks of fields that have changed', async () => {
    await chooseSchedule({ seed: 3 });
    await page.evaluate(() => {
      const { terminate } = Worker.prototype;
      window.endedWorkers = 0;
      Worker.prototype.terminate = function counted() {
        ++window.endedWorkers;
        return terminate.call(this);
      };
      window.restoreTerminate = () => {
        Worker.prototype.terminate = terminate;
      };
    });
    try {
      // 989,828,012 levels of one trial, which take seconds to count, changed before they are.
      for (const [name, value] of [['t0', '1e30'], ['alpha', '0.99999994'], ['t-final', '23842'], ['trials', '1'], ['runs', '1']]) {
        await typeInto(`[name=${name}]`, value);
      }
      await new Promise((resolve) => setTimeout(resolve, 600));
      await typeInto('[name=alpha]', '0.9');
      await page.waitForSelector('#schedule-form[aria-busy=false]');
      const ended = await page.evaluate(() => window.endedWorkers);
      assert.ok(ended >= 2, `${ended} workers were ended: the whole's and the schedule's checks went on`);
      assert.equal(await text('#schedule-cost'), '560 levels × 1 trial = 560 trials per run, on 131,072 grid points');
    } finally {
      await page.evaluate(() => window.restoreTerminate());
    }
  });

  test('offers a Stop with the time left for a long step', async () => {
    await chooseSchedule({ seed: 3, trials: 1000000 });
    await page.click('#step-level');
    await page.waitForFunction(() => !document.querySelector('#run-stop').hidden);
    await page.waitForFunction(() => /^Stop \(about [\d,]+ s left\)$/.test(document.querySelector('#run-stop').textContent));
    await page.click('#run-stop');
    const stopped = await text('#live-trial');
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await text('#live-trial'), stopped);
    assert.equal(await page.$eval('#run-stop', (b) => b.hidden), true);
  });
});

describe('the run steered by hand', () => {
  const params = { seed: 1765000000, t0: 1, alpha: 0.95, tFinal: 0.0001, trials: 3, bits: 10 };
  const rowCount = () => page.$$eval('#levels tbody tr', (rows) => rows.length);
  // One level more, by its button.
  async function stepLevel() {
    const before = await rowCount();
    await page.click('#step-level');
    await page.waitForFunction((n) => document.querySelectorAll('#levels tbody tr').length === n + 1, {}, before);
  }
  async function typeT(value) {
    await typeInto('#steer-value', value);
    await page.keyboard.press('Enter');
  }
  const rows = () => page.$$eval('#levels tbody tr', (all) => all.map((row) => ({
    csv: row.dataset.csv, steered: row.classList.contains('steered'), t: row.cells[1].textContent })));
  const held = () => page.$eval('#steer-hold', (box) => box.checked);

  test('refuses a T as sa_study refuses T0, runs held levels at the T set, and the schedule keeps its levels', async () => {
    const [, ...native] = csvLines(nativeStudy(options['sa-study'], ['--trace', ...argumentsOf(params)]));
    const scheduleT = native.map((line) => line.split(',')[1]);
    await chooseSchedule(params);
    await stepLevel();
    await stepLevel();

    for (const refused of ['-1', '0', '1e31', '1e-50', 'abc']) {
      await typeT(refused);
      assert.equal(await text('#steer-error'), nativeRefusal([`--t0=${refused}`]).replace(/^--t0/, 'T'), refused);
      assert.equal(await held(), false, refused);
    }
    assert.doesNotMatch(await text('#run-status'), /Steered/);

    await typeT('0.5');
    assert.equal(await text('#steer-error'), '');
    assert.equal(await held(), true);
    assert.equal(await text('#steer-note'), 'Held: each new level runs at T = 0.5; the schedule still says how many levels there are.');
    for (let k = 0; k < 3; ++k) {
      await stepLevel();
    }
    assert.match(await text('#run-status'), /Steered: 3 levels ran at a T set by hand, so this is no longer the schedule's run\.$/);

    // Released: the next level runs at the schedule's T for it again.
    await page.click('#steer-hold');
    assert.equal(await held(), false);
    assert.equal(await text('#steer-note'), `The schedule sets T: ${Number(scheduleT[5]).toPrecision(4)} at this level.`);
    await stepLevel();

    let shown = await rows();
    assert.deepEqual(shown.slice(0, 2).map((row) => row.csv), native.slice(0, 2));
    assert.deepEqual(shown.map((row) => row.steered), [false, false, true, true, true, false]);
    assert.deepEqual(shown.map((row) => row.csv.split(',')[1]), [...scheduleT.slice(0, 2), '0.5', '0.5', '0.5', scheduleT[5]]);
    assert.deepEqual(shown.map((row) => row.t).slice(1, 4), [Number(scheduleT[1]).toPrecision(5), '0.50000 (by hand)',
      '0.50000 (by hand)']);

    // Held again by the keyboard: the slider follows the schedule's T until its arrow keys move
    // it, and hold the T it comes to, a little colder.
    await page.focus('#steer-slider');
    await page.keyboard.press('ArrowLeft');
    assert.equal(await held(), true);
    const heldT = (await text('#steer-note')).match(/T = (\S+);/)[1];
    const ratio = Number(heldT) / Number(scheduleT[6]);
    assert.ok(ratio > 0.97 && ratio < 1, `${heldT} against the schedule's ${scheduleT[6]}`);
    assert.equal(await page.$eval('#steer-slider', (s) => s.getAttribute('aria-valuetext')), `T = ${heldT}`);
    await stepLevel();
    assert.equal(Number((await rows()).at(-1).csv.split(',')[1]), Number(heldT));

    await page.click('#steer-hold');
    await page.click('#trace-details summary');
    await page.click('#to-end');
    await page.waitForFunction(() => document.querySelector('#run-status').textContent.startsWith('Finished'));
    shown = await rows();
    // The CSV is sa_study's, with a last column that marks the levels run by hand.
    const [heading, ...lines] = csvLines(await text('#trace-csv'));
    assert.equal(heading, `${csvLines(nativeStudy(options['sa-study'], ['--trace', ...argumentsOf(params)]))[0]},steered`);
    assert.deepEqual(lines, shown.map((row) => `${row.csv},${Number(row.steered)}`));
    await page.click('#trace-details summary');
    assert.equal(shown.length, native.length);
    assert.equal(shown.filter((row) => row.steered).length, 4);
    assert.deepEqual(shown.slice(7).map((row) => row.csv.split(',')[1]), scheduleT.slice(7));
    assert.match(await text('#run-status'), /Steered: 4 levels ran/);
    assert.equal(await page.$eval('#steer-hold', (box) => box.disabled), true);
  });

  test("the decision plot marks the trial's Δ and r, and the chance of the demo's rule has its floor", async () => {
    await chooseSchedule({ seed: 5 });
    // Cold, so that worse moves come with a chance below 1 in 10,000.
    await typeT('0.001');
    const floor = [];
    const gone = [];
    let worse = 0;
    for (let k = 0; k < 600 && (worse < 40 || floor.length === 0 || gone.length === 0); ++k) {
      await page.click('#step-trial');
      const shown = await page.evaluate(() => {
        const decision = document.querySelector('#run-decision').dataset;
        return { delta: decision.delta, r: decision.r, chance: Number(decision.chance),
          readDelta: document.querySelector('#live-delta').title, readR: document.querySelector('#live-draw').title,
          probability: Number(document.querySelector('#live-probability').title),
          accepted: document.querySelector('#live-verdict').textContent === 'accepted',
          t: document.querySelector('#live-temperature').title };
      });
      assert.equal(shown.delta, shown.readDelta);
      assert.equal(shown.r, shown.readR);
      if (shown.r === '') {
        assert.equal(shown.chance, 1);
        continue;
      }
      ++worse;
      // Held before the run's first trial: its first level runs at it too.
      assert.equal(shown.t, '0.001');
      // The share of the draws 0, 0.0001, ..., 0.9999 that lie below exp(Δ/T).
      assert.ok(shown.chance >= shown.probability && shown.chance <= shown.probability + 1e-4, JSON.stringify(shown));
      assert.equal(shown.accepted, Number(shown.r) < shown.chance, JSON.stringify(shown));
      if (shown.probability > 0 && shown.probability < 1e-4) {
        floor.push(shown);
        assert.equal(shown.chance, 1e-4);
      } else if (shown.probability === 0) {
        gone.push(shown);
        assert.equal(shown.chance, 0);
      }
    }
    assert.ok(worse >= 40 && floor.length > 0 && gone.length > 0, `${worse} worse moves, ${floor.length} on the floor, ${gone.length} at 0`);
  });

  test('in Portuguese takes a T with a decimal comma, and refuses one in Portuguese', async () => {
    const pt = await openAt('?lang=pt&seed=3');
    await typeInto('#steer-value', 'abc', pt);
    await pt.keyboard.press('Enter');
    assert.equal(await text('#steer-error', pt), "T: 'abc' não é um número");
    await typeInto('#steer-value', '0,25', pt);
    await pt.keyboard.press('Enter');
    assert.equal(await text('#steer-error', pt), '');
    assert.equal(await text('#steer-note', pt),
      'Fixada: cada novo nível corre a T = 0,25; o esquema continua a dizer quantos níveis há.');
    await pt.click('#step-level');
    await pt.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 1);
    assert.equal(await pt.$eval('#levels tbody td:nth-child(2)', (cell) => cell.textContent), '0,25000 (à mão)');
    assert.match(await text('#run-status', pt), /Conduzida à mão em 1 nível: esta já não é a execução do esquema\.$/);
    await pt.close();
  });

  test('marks the points that one flip of each digit reaches, the next candidate among them', async () => {
    for (const bits of [10, 17]) {
      await chooseSchedule({ seed: 7, bits });
      for (let k = 0; k < 5; ++k) {
        const reach = await page.$eval('#run-plot', (plot) => JSON.parse(plot.dataset.neighbours));
        assert.equal(reach.length, bits);
        await page.click('#step-trial');
        const [, position, to] = (await text('#live-move')).match(/v\[(\d+)\]: x \S+ → (\S+)$/);
        assert.equal(await page.evaluate((x) => window.saPage.language.format.fixed(x, 6), reach[Number(position)]), to);
      }
    }
  });
});

describe('the lesson', () => {
  const ids = ['random-walk', 'hill-climbing', 'quench', 'demo-schedule', 'slow-cooling', 'demo-floor', 'time-to-solution',
    'landscapes'];
  const holds = { en: 'Holds:', pt: 'Verifica-se:' };
  // A claim as sa.lesson.steps() words it, its figures as placeholders {name}, as a pattern that
  // the claim with its figures must match.
  const patternOf = (text) => new RegExp(`^${text.replace(/[.*+?^$()|[\]\\]/g, '\\$&').replace(/\{\w+\}/g, '(.+)')}$`);
  const found = {};  // each language's figures, step by step
  const revealed = { en: {}, pt: {} };  // each language's answers to the predictions, by step
  const closed = {};  // what the closing step showed in each language, and what it exported
  const skipped = { en: 'You made no guess; the experiment found ', pt: 'Não deu palpite; a experiência encontrou ' };

  // English at 1280 x 800, Portuguese at 1280 x 800 zoomed to 150 %.
  const screens = { en: { width: 1280, height: 800 }, pt: { width: 853, height: 533, deviceScaleFactor: 1.5 } };
  for (const lang of ['en', 'pt']) {
    test(`runs every step, and every claim holds (${lang})`, async (t) => {
      const opened = await openAt(`?lang=${lang}`, screens[lang]);
      try {
        const steps = await opened.evaluate(() => window.sa.lesson.steps());
        assert.deepEqual(steps.map((step) => step.id), ids);
        found[lang] = [];
        for (const [i, step] of steps.entries()) {
          const began = Date.now();
          const { figures, claims } = await opened.evaluate((n) => window.sa.lesson.run(n), i);
          t.diagnostic(`${step.id} (${((Date.now() - began) / 1000).toFixed(1)} s): ${claims.map((c) => c.text).join(' ')}`);
          assert.equal(claims.length, step.claims.length, step.id);
          claims.forEach((claim, k) => {
            assert.match(claim.text, patternOf(step.claims[k]), step.id);
            assert.doesNotMatch(claim.text, /[{}]|undefined|NaN|Infinity/, step.id);
            assert.equal(claim.holds, true, `${step.id} does not hold: ${claim.text}`);
          });
          // The card shows the same claims, each marked as holding, in words too.
          assert.deepEqual(await opened.$$eval('#lesson-claims li', (items) => items.map((item) => [item.className, item.textContent])),
            claims.map((claim) => ['holds', `✓${holds[lang]} ${claim.text}`]));
          assert.match(opened.url(), new RegExp(`[?&]step=${step.id}(&|$)`));
          // The question, the answer and the view's figures seen together; at 150 % a long
          // answer may go on below its first claim.
          const place = await placeOfAnswer(opened, step.preset.view);
          for (const seen of ['question', 'result', lang === 'en' ? 'lastClaim' : 'firstClaim', 'answer']) {
            const shown = seen === 'firstClaim' ? { ...place.firstClaim, bottom: place.firstClaim.top } : place[seen];
            assert.ok(inView(shown, place.height), `${step.id}: the ${seen} is not in view (${JSON.stringify(place)})`);
          }
          if (step.preset.view === 'study') {
            // A run shorter than a tick of the page's clock is said to be, not to take 0 µs.
            assert.match(await opened.$eval('#result-time', (time) => time.textContent), medianPattern[lang], step.id);
          }
          // Numbers with an exponent are written as powers of ten, as the axes write them.
          const written = await opened.$eval(step.preset.view === 'sweep' ? '#sweep-least' : '#study-caption',
            (shown) => shown.textContent);
          assert.doesNotMatch(written, /\de[-+]?\d/, `${step.id}: ${written}`);
          if (step.id === 'hill-climbing') {
            assert.match(written, /^T0 10⁻⁶, (alpha 0\.97, final T|alfa 0,97, T final) 10⁻⁷, /);
          }
          if (step.id === 'slow-cooling' && lang === 'en') {
            // The level the answer names, the last, is on show; Play goes through its 6,905
            // levels again in 10 s, not one a frame for minutes.
            const slider = () => opened.$eval('#population-level', (levels) => [levels.max, levels.value]);
            assert.deepEqual(await slider(), ['6904', '6904']);
            await opened.click('#population-play');
            assert.notEqual((await slider())[1], '6904');
            await opened.waitForFunction(() => {
              const levels = document.querySelector('#population-level');
              return levels.value === levels.max;
            }, { timeout: 15000 });
          }
          // No guess was made: the reveal says so, and shows what the claims state.
          const reveal = await text('#lesson-reveal', opened);
          const shown = await text('#lesson-reveal .found', opened);
          assert.ok(reveal.startsWith(skipped[lang]), `${step.id}: ${reveal}`);
          const stated = claims.map((claim) => claim.text).join(' ');
          // A figure of the claims, whole: 0.0 % is not the end of 100.0 %.
          const among = (figure) => new RegExp(`(^|[^\\d.,])${figure.replace(/[.*+?^$()|[\]\\]/g, '\\$&')}`).test(stated);
          if (step.prediction.kind === 'choice') {
            assert.match(shown, /^[“«].+[”»] \(.*\d.*\)$/, step.id);
            for (const share of shown.match(/\d[\d.,]* %/g) ?? []) {
              assert.ok(among(share), `${step.id}: ${share} is not among the claims' figures`);
            }
          } else {
            assert.ok(among(shown), `${step.id}: ${shown} is not among the claims' figures: ${stated}`);
          }
          found[lang].push(figures);
          revealed[lang][step.id] = shown;
        }
        // The closing step, after the last, its claims checked from the steps' figures; the
        // table of steps downloaded as CSV, and the charts as PNG.
        await opened.click('#lesson-next');
        assert.equal(await text('[aria-current=step]', opened), { en: '9. What the lesson showed', pt: '9. O que a lição mostrou' }[lang]);
        assert.equal(await opened.evaluate(() => document.activeElement.id), 'lesson-closing-previous');
        closed[lang] = {
          status: await text('#lesson-closing-result', opened),
          claims: await opened.$$eval('#lesson-closing-claims li', (items) => items.map((item) => [item.className, item.textContent])),
        };
        if (lang === 'en') {
          // What each export hands the browser to save: its name and its bytes, read back from
          // the link the page clicks, the same in every engine; nothing is saved.
          await opened.evaluate(() => {
            window.saDownloads = [];
            HTMLAnchorElement.prototype.click = function saved() {
              window.saDownloads.push(fetch(this.href).then((response) => response.arrayBuffer())
                .then((bytes) => ({ name: this.download, bytes: [...new Uint8Array(bytes)] })));
            };
          });
          const downloaded = async (button, name) => {
            const before = await opened.evaluate(() => window.saDownloads.length);
            await opened.click(button);
            await opened.waitForFunction((count) => window.saDownloads.length > count, {}, before);
            const file = await opened.evaluate(() => window.saDownloads[window.saDownloads.length - 1]);
            assert.equal(file.name, name);
            return Buffer.from(file.bytes);
          };
          closed.csv = (await downloaded('#lesson-export-csv', 'lesson.csv')).toString('utf8');
          closed.pngs = {};
          for (const name of ['study', 'population', 'sweep']) {
            const png = await downloaded(`#lesson-export-${name}`, `lesson-${name}.png`);
            // The PNG's signature, then its width and height from its header, as the canvas's.
            closed.pngs[name] = [png.subarray(1, 4).toString('latin1'), png.readUInt32BE(16), png.readUInt32BE(20)];
            closed.canvases = await opened.evaluate(() => Object.fromEntries(['study-plot', 'population-plot', 'sweep-chart']
              .map((id) => [id, [document.getElementById(id).width, document.getElementById(id).height]])));
          }
        }
        assert.deepEqual(await axeViolations(opened), [], `the closing step, ${lang}`);
      } finally {
        await opened.close();
      }
    });
  }

  test('finds the same figures in either language, and sa_study\'s where they are its own', () => {
    assert.equal(found.en?.length, ids.length, 'the English lesson did not run through');
    assert.deepEqual(found.pt, found.en);
    const figures = Object.fromEntries(ids.map((id, i) => [id, found.en[i]]));
    for (const [id, args] of [['hill-climbing', ['--t0=0.000001', '--t-final=0.0000001']], ['quench', ['--alpha=0.5']], ['demo-schedule', []]]) {
      const [row] = rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', ...args]));
      assert.deepEqual(
        [figures[id].global, figures[id].second, figures[id].exact],
        [row.global_peak_runs / row.runs, row.second_peak_runs / row.runs, row.exact_optimum_runs / row.runs], id);
      compared.studies += 1;
      compared.fields += 3;
    }
    const rows = rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', '--t0=1', '--alpha=0.8,0.9,0.95,0.97,0.99',
      '--t-final=0.1,0.01,0.001,0.0001,0.00001,0.000001,0.0000001,0.00000001']));
    const least = rows.reduce((best, row) => (row.tts99_trials !== null && row.tts99_trials < best.tts99_trials ? row : best));
    const { alpha, tFinal, tts, perRun } = figures['time-to-solution'];
    assert.deepEqual({ alpha, tFinal, tts, perRun }, { alpha: least.alpha, tFinal: least.t_final, tts: least.tts99_trials, perRun: least.trials_per_run });
    compared.sweeps += 1;
    compared.fields += 4;
    // The landscapes' twelve studies, each as sa_study finds it for its landscape and schedule.
    const schedules = { Climb: ['--t0=0.000001', '--t-final=0.0000001'], Demo: [], Slow: ['--alpha=0.99'] };
    let climbWins = 0;
    for (const landscape of ['smooth', 'needle', 'deceptive', 'rugged']) {
      const tts = {};
      for (const [schedule, args] of Object.entries(schedules)) {
        const [row] = rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', `--landscape=${landscape}`, ...args]));
        const name = `${landscape}${schedule}`;
        const { landscapes } = figures;
        assert.deepEqual(
          [landscapes[`${name}Exact`], landscapes[`${name}Global`], landscapes[`${name}Tts`], landscapes[`${name}PeakTts`]],
          [row.exact_optimum_runs / row.runs, row.global_peak_runs / row.runs, row.tts99_trials, row.peak_tts99_trials], name);
        compared.studies += 1;
        compared.fields += 4;
        tts[schedule] = row.tts99_trials;
      }
      climbWins += tts.Climb !== null && tts.Demo !== null && tts.Climb < tts.Demo ? 1 : 0;
    }
    // The prediction's answer: on how many landscapes restarted climbs beat the demo's schedule
    // to the exact optimum, as sa_study's rows count them, and the choice that count makes.
    assert.equal(figures.landscapes.climbWins, climbWins);
    for (const lang of ['en', 'pt']) {
      const choice = choices[lang].landscapes[climbWins <= 1 ? 0 : climbWins <= 3 ? 1 : 2];
      assert.ok(revealed[lang].landscapes.startsWith(`${{ en: '“', pt: '«' }[lang]}${choice}`), revealed[lang].landscapes);
    }
  });

  test("closes with claims that hold on the steps' figures, sa_study's, and exports the table of steps exactly", () => {
    assert.ok(closed.en && closed.pt, 'the lesson did not run through');
    const study = (args) => rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', ...args]));
    const [climb] = study(['--t0=0.000001', '--t-final=0.0000001']);
    const [quench] = study(['--alpha=0.5']);
    const [demo] = study([]);
    const slow = ['--t0=1', '--alpha=0.999', '--t-final=0.001', '--population'];
    const continuous = study([...slow, '--acceptance=continuous']).at(-1);
    const floor = study(slow).at(-1);
    const sweep = study(['--t0=1', '--alpha=0.8,0.9,0.95,0.97,0.99', '--t-final=0.1,0.01,0.001,0.0001,0.00001,0.000001,0.0000001,0.00000001']);
    const least = sweep.reduce((best, row) => (row.tts99_trials !== null && row.tts99_trials < best.tts99_trials ? row : best));
    const share = (x) => `${(100 * x).toFixed(1)} %`;
    const whole = (n) => Math.round(n).toLocaleString('en');
    const of = (row, name) => row[`${name}_runs`] / row.runs;
    assert.equal(closed.en.status, 'What the steps found: 4 of 4 claims hold.');
    assert.deepEqual(closed.en.claims, [
      `The demo's schedule puts every run's best point on the global peak (${share(of(demo, 'global_peak'))}), where a quench ` +
        `leaves more than one in five on the second peak (${share(of(quench, 'second_peak'))}).`,
      `On the peak is not on its top point: the demo's schedule brings fewer runs to the exact optimum ` +
        `(${share(of(demo, 'exact_optimum'))}) than hill climbing does (${share(of(climb, 'exact_optimum'))}), its last levels ` +
        'still too warm to choose between neighbours.',
      `Cooled slowly, the runs end with ${share(continuous.share_global_peak)} on the global peak under continuous acceptance, ` +
        `and fewer, ${share(floor.share_global_peak)}, under the demo's floor of r = 0.`,
      `Restarts counted, the sweep's best schedule reaches the exact optimum with 99 % probability in ` +
        `${whole(least.tts99_trials)} trials, less than a tenth of the demo schedule's ${whole(demo.tts99_trials)}.`,
    ].map((claim) => ['holds', `✓Holds: ${claim}`]));
    assert.equal(closed.pt.status, 'O que os passos encontraram: verificam-se 4 de 4 afirmações.');
    assert.deepEqual(closed.pt.claims.map(([state, content]) => [state, content.startsWith('✓Verifica-se: ')]),
      closed.en.claims.map(() => ['holds', true]));

    // The CSV: a row per step, its schedule in English, its figures unrounded, empty where it has none.
    const studyFields = (row) => [of(row, 'exact_optimum'), of(row, 'global_peak'), of(row, 'second_peak'), row.tts99_trials, '', '']
      .map(String);
    const populationFields = (level) => ['', '', '', '', String(level.share_global_peak), String(level.share_second_peak)];
    assert.equal(closed.csv, [
      'step,schedule,exact_optimum_share,global_peak_share,second_peak_share,tts99_trials,last_level_global_peak_share,' +
        'last_level_second_peak_share',
      ['random-walk', '"T0 10000, alpha 0.97, final T 1000, 8 trials per level, 17 bits"', '', '', '', '', '', ''],
      ['hill-climbing', '"T0 1e-06, alpha 0.97, final T 1e-07, 8 trials per level, 17 bits"', ...studyFields(climb)],
      ['quench', '"T0 100, alpha 0.5, final T 0.1, 8 trials per level, 17 bits"', ...studyFields(quench)],
      ['demo-schedule', '"T0 100, alpha 0.97, final T 0.1, 8 trials per level, 17 bits"', ...studyFields(demo)],
      ['slow-cooling', '"T0 1, alpha 0.999, final T 0.001, 8 trials per level, continuous acceptance, 17 bits"',
        ...populationFields(continuous)],
      ['demo-floor', '"T0 1, alpha 0.999, final T 0.001, 8 trials per level, 17 bits"', ...populationFields(floor)],
      ['time-to-solution', `"T0 1, alpha ${least.alpha}, final T ${String(least.t_final).replace(/e-(\d)$/, 'e-0$1')}, 8 trials ` +
        'per level, 17 bits"', ...studyFields(least)],
      ['landscapes', `"smooth, needle, deceptive and rugged, each under a pure climb, the demo's schedule and alpha 0.99"`,
        '', '', '', '', '', ''],
    ].map((row) => (Array.isArray(row) ? row.join(',') : row)).join('\n') + '\n');
    assert.deepEqual(closed.pngs, {
      study: ['PNG', ...closed.canvases['study-plot']],
      population: ['PNG', ...closed.canvases['population-plot']],
      sweep: ['PNG', ...closed.canvases['sweep-chart']],
    });
  });

  test('shows a claim that does not hold as not holding, to the eye and in words, in either language', async () => {
    const opened = await openAt('?lang=en&step=quench');
    try {
      const cue = await text('#lesson .cue', opened);
      assert.ok(cue.includes(await text('#lesson-run', opened)), 'the first screen says what to press');
      assert.equal(await text('[aria-current=step]', opened), '3. A quench');
      // Studies whose runs find the global peak one time in ten: the quench's first claim
      // cannot hold, its others still do.
      await opened.evaluate(() => {
        const study = window.sa.study;
        window.sa.study = async (...args) => ({ ...(await study(...args)), global_peak_runs: 100 });
      });
      await opened.click('#lesson-run');
      await opened.waitForFunction(() => document.querySelectorAll('#lesson-claims li').length === 3, { timeout: 60000 });
      const shown = () => opened.$$eval('#lesson-claims li', (items) => items.map((item) => {
        const verdict = item.querySelector('.verdict').getBoundingClientRect();
        return [item.className, item.textContent, verdict.width > 1 && verdict.height > 1];
      }));
      const claims = (await shown()).map(([, content]) => content.replace(/^.[^:]*: /, ''));
      assert.deepEqual(await shown(), [
        ['fails', `✗Does not hold: ${claims[0]}`, true],
        ['holds', `✓Holds: ${claims[1]}`, false],
        ['holds', `✓Holds: ${claims[2]}`, false],
      ]);
      assert.match(claims[0], /^Most runs still have their best point on the global peak \(10\.0 %\)\.$/);
      assert.equal(await text('#lesson-result', opened), 'What the experiment found: 2 of 3 claims hold.');
      const mark = await opened.$eval('#lesson-claims .fails .mark', (element) => [getComputedStyle(element).color, element.getAttribute('aria-hidden')]);
      assert.deepEqual(mark, ['rgb(185, 28, 28)', 'true']);
      assert.deepEqual(await axeViolations(opened), []);

      await opened.click('[data-lang=pt]');
      const portuguese = await shown();
      assert.deepEqual(portuguese.map(([state]) => state), ['fails', 'holds', 'holds']);
      assert.match(portuguese[0][1], /^✗Não se verifica: A maioria das execuções ainda tem o seu melhor ponto no pico global \(10,0 %\)\.$/);
      assert.equal(await text('#lesson-result', opened), 'O que a experiência encontrou: verificam-se 2 de 3 afirmações.');
      assert.deepEqual(await axeViolations(opened), []);
      const run = await opened.evaluate(() => window.sa.lesson.run(2));
      assert.deepEqual(run.claims.map((claim) => claim.holds), [false, true, true]);
    } finally {
      await opened.close();
    }
  });

  // ---- Predictions: asked before a step runs, set against its figures after

  const choices = {
    en: {
      quench: ['All on the global peak', 'Most on the global peak, the rest on other hills', 'Fewer than half on the global peak'],
      'demo-floor': ['It grows to the end', 'It levels off, within two points of its largest', 'It falls further'],
      landscapes: ['On one at most', 'On two or three', 'On all four'],
    },
    pt: {
      quench: ['Todos no pico global', 'A maioria no pico global, os restantes noutras colinas', 'Menos de metade no pico global'],
      'demo-floor': ['Cresce até ao fim', 'Estabiliza, a menos de dois pontos do seu máximo', 'Continua a cair'],
      landscapes: ['Em uma no máximo', 'Em duas ou três', 'Nas quatro'],
    },
  };
  const noGuess = { en: 'no guess yet', pt: 'ainda sem palpite' };

  for (const lang of ['en', 'pt']) {
    test(`asks for a prediction at every step, as a fieldset with a legend, in ${lang}`, async () => {
      const opened = await openAt(`?lang=${lang}`);
      try {
        const steps = await opened.evaluate(() => window.sa.lesson.steps());
        assert.deepEqual(steps.map((step) => step.prediction.kind),
          ['share', 'share', 'choice', 'share', 'share', 'choice', 'temperature', 'choice']);
        assert.deepEqual(Object.fromEntries(steps.filter((step) => step.prediction.choices)
          .map((step) => [step.id, step.prediction.choices])), choices[lang]);
        const { low, high, steps: positions } = steps.find((step) => step.prediction.kind === 'temperature').prediction;
        assert.deepEqual([low, high, positions], [1e-8, 0.1, 14]);
        for (const [i, step] of steps.entries()) {
          await opened.click(`#lesson-steps li:nth-child(${i + 1}) button`);
          const shown = await opened.$eval('#lesson-predict', (fieldset) => ({
            legend: fieldset.querySelector('legend').textContent,
            choices: [...fieldset.querySelectorAll('input[type=radio]')].map((radio) => [radio.labels[0].textContent.trim(), radio.checked]),
            slider: fieldset.querySelector('input[type=range]')?.labels[0].textContent,
            value: fieldset.querySelector('output')?.textContent,
            clear: fieldset.querySelector('#lesson-predict-clear').disabled,
          }));
          assert.equal(shown.legend, step.prediction.question, step.id);
          assert.ok(step.prediction.question.endsWith('?'), step.id);
          assert.equal(shown.clear, true, `${step.id}: nothing to clear yet`);
          if (step.prediction.kind === 'choice') {
            assert.deepEqual(shown.choices, step.prediction.choices.map((choice) => [choice, false]), step.id);
          } else {
            assert.deepEqual([shown.slider, shown.value], [{ en: 'Your guess', pt: 'O seu palpite' }[lang], noGuess[lang]], step.id);
          }
          if (i === 2 || i === 6 || i === 7) {
            assert.deepEqual(await axeViolations(opened), [], `${step.id}, ${lang}`);
          }
        }
        // The final T's slider, by the keyboard: by half a power of ten, written as the sweep's are.
        await opened.click('#lesson-steps li:nth-child(7) button');
        await opened.focus('#lesson-guess');
        const written = [];
        for (const key of ['End', 'ArrowLeft', 'ArrowLeft', 'ArrowLeft', 'Home']) {
          await opened.keyboard.press(key);
          written.push(await opened.$eval('#lesson-guess', (slider) => [slider.getAttribute('aria-valuetext'),
            document.querySelector('#lesson-guess-value').textContent]));
        }
        const decimal = (text) => (lang === 'pt' ? text.replace('.', ',') : text);
        assert.deepEqual(written, ['0.1', '0.032', '0.01', '0.0032', '10⁻⁸'].map((value) => [decimal(value), decimal(value)]));
        await opened.click('#lesson-predict-clear');
        assert.equal(await text('#lesson-guess-value', opened), noGuess[lang]);
        assert.equal(await opened.evaluate(() => document.activeElement.id), 'lesson-guess');
      } finally {
        await opened.close();
      }
    });
  }

  test("sets the guess against the run's figures, the same as the claims', or says there was none", async () => {
    const study = (args) => rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', ...args]))[0];
    const quench = study(['--alpha=0.5']);
    const climb = study(['--t0=0.000001', '--t-final=0.0000001']);
    const demo = study([]);
    const percent = (count, lang) => `${(count / 1000 * 100).toFixed(1).replace('.', lang === 'pt' ? ',' : '.')} %`;
    const revealed = async (on) => {
      await on.waitForSelector('#lesson-reveal:not([hidden])', { timeout: 60000 });
      return [await text('#lesson-reveal', on), await on.$$eval('#lesson-claims li', (items) => items.map((item) => item.textContent).join(' '))];
    };
    const opened = await openAt('?lang=en&step=quench');
    try {
      // The quench: the second choice, by the keyboard, is what its figures make true.
      await opened.focus('#lesson-predict input');
      await opened.keyboard.press('ArrowDown');
      await opened.click('#lesson-run');
      let [reveal, claims] = await revealed(opened);
      const onTop = percent(quench.global_peak_runs, 'en');
      assert.equal(reveal, `You guessed “${choices.en.quench[1]}”; the experiment found “${choices.en.quench[1]}” (${onTop} on ` +
        'the global peak). Right.');
      assert.ok(claims.includes(`(${onTop})`), claims);
      // The reveal takes the place of the choices, beside the question, until the step is shown
      // again.
      assert.equal(await opened.$eval('#lesson-predict', (fieldset) => fieldset.hidden), true);

      // Hill climbing: 30 % on the slider.
      await opened.click('#lesson-steps li:nth-child(2) button');
      assert.equal(await opened.$eval('#lesson-reveal', (element) => element.hidden), true, 'no figures before the run');
      await opened.focus('#lesson-guess');
      await opened.keyboard.press('Home');
      for (let i = 0; i < 30; ++i) {
        await opened.keyboard.press('ArrowRight');
      }
      assert.equal(await text('#lesson-guess-value', opened), '30 %');
      await opened.click('#lesson-run');
      [reveal, claims] = await revealed(opened);
      const climbed = percent(climb.global_peak_runs, 'en');
      assert.equal(reveal, `You guessed 30 %; the experiment found ${climbed}.`);
      assert.ok(claims.includes(`(${climbed})`), claims);

      // The demo's schedule, skipped.
      await opened.click('#lesson-steps li:nth-child(4) button');
      await opened.click('#lesson-run');
      [reveal, claims] = await revealed(opened);
      const exact = percent(demo.exact_optimum_runs, 'en');
      assert.equal(reveal, `You made no guess; the experiment found ${exact}.`);
      assert.ok(claims.includes(`(${exact})`), claims);

      // In Portuguese, the quench guessed wrong; the guess of each step is kept as the steps change.
      await opened.click('[data-lang=pt]');
      await opened.click('#lesson-steps li:nth-child(2) button');
      assert.equal(await text('#lesson-guess-value', opened), '30 %');
      await opened.click('#lesson-steps li:nth-child(3) button');
      const checked = () => opened.$$eval('#lesson-predict input', (radios) => radios.map((radio) => radio.checked));
      assert.deepEqual(await checked(), [false, true, false]);
      await opened.focus('#lesson-predict input:checked');
      await opened.keyboard.press('ArrowDown');
      assert.deepEqual(await checked(), [false, false, true]);
      await opened.click('#lesson-run');
      [reveal, claims] = await revealed(opened);
      const noTopo = percent(quench.global_peak_runs, 'pt');
      assert.equal(reveal, `O seu palpite foi «${choices.pt.quench[2]}»; a experiência encontrou «${choices.pt.quench[1]}» ` +
        `(${noTopo} no pico global). Desta vez não.`);
      assert.ok(claims.includes(`(${noTopo})`), claims);
      assert.deepEqual(await axeViolations(opened), []);
    } finally {
      await opened.close();
    }
  });

  // ---- Steps compared: the figures of each step run so far, the earlier ones marked as such

  test("keeps each step run in a table of sa_study's figures, the earlier ones marked, in either language", async () => {
    const study = (args) => rowsOfCsv(nativeStudy(options['sa-study'], ['--seed=1', '--runs=1000', ...args]));
    const [quench] = study(['--alpha=0.5']);
    const [demo] = study([]);
    const lastLevel = study(['--t0=1', '--alpha=0.999', '--t-final=0.001', '--acceptance=continuous', '--population']).at(-1);
    const written = {
      en: { share: (x) => `${(100 * x).toFixed(1)} %`, whole: (n) => Math.round(n).toLocaleString('en') },
      pt: { share: (x) => `${(100 * x).toFixed(1).replace('.', ',')} %`, whole: (n) => Math.round(n).toLocaleString('pt-PT') },
    };
    const studyRow = (row, lang) => [row.exact_optimum_runs, row.global_peak_runs, row.second_peak_runs]
      .map((runs) => written[lang].share(runs / row.runs)).concat(written[lang].whole(row.tts99_trials), '–', '–');
    const populationRow = (lang) => ['–', '–', '–', '–', written[lang].share(lastLevel.share_global_peak),
      written[lang].share(lastLevel.share_second_peak)];
    const table = (on) => on.$$eval('#lesson-compare tbody tr', (rows) => rows.map((row) =>
      [row.className, ...[...row.cells].map((cell) => cell.textContent)]));
    const opened = await openAt('?lang=en');
    try {
      assert.equal(await opened.$eval('#lesson-compare-wrap', (wrap) => wrap.hidden), true, 'no table before a step has run');
      for (const step of [2, 4, 3]) {
        await opened.evaluate((n) => window.sa.lesson.run(n), step);
      }
      assert.deepEqual(await table(opened), [
        ['earlier', '3. A quench', 'T0 100, alpha 0.5, final T 0.1, 8 trials per level, 17 bits', ...studyRow(quench, 'en')],
        ['current', "4. The demo's schedule (this step)", 'T0 100, alpha 0.97, final T 0.1, 8 trials per level, 17 bits',
          ...studyRow(demo, 'en')],
        ['earlier', '5. Slow cooling against the equilibrium',
          'T0 1, alpha 0.999, final T 0.001, 8 trials per level, continuous acceptance, 17 bits', ...populationRow('en')],
      ]);
      // Each column says which view's figure it is.
      assert.deepEqual(await opened.$$eval('#lesson-compare thead th', (cells) => cells.map((cell) => cell.textContent)), [
        'Step', 'Schedule', 'Study: best on the exact optimum', 'Study: best on the global peak', 'Study: best on the second peak',
        'Study: TTS99 (trials)', 'Population, last level: on the global peak', 'Population, last level: on the second peak']);
      const faint = await opened.$$eval('#lesson-compare tbody tr', (rows) => rows.map((row) => getComputedStyle(row).color));
      assert.notEqual(faint[0], faint[1], 'an earlier row looks as the current one');
      assert.equal(faint[0], faint[2]);
      // The study on show is the demo's schedule; the quench's study is outlined under it, named.
      assert.equal(await text('#study-earlier', opened), 'Dashed outlines, on the same scale of runs: the lesson\'s earlier ' +
        'steps, each numbered over its tallest bar (3. A quench).');
      const withOutline = await opened.$eval('#study-plot', (canvas) => canvas.toDataURL());
      assert.deepEqual(await axeViolations(opened), []);

      await opened.click('[data-lang=pt]');
      assert.deepEqual((await table(opened))[0], ['earlier', '3. Uma têmpera',
        'T0 100, alfa 0,5, T final 0,1, 8 tentativas por nível, 17 bits', ...studyRow(quench, 'pt')]);
      assert.deepEqual((await table(opened))[2].slice(2), [
        'T0 1, alfa 0,999, T final 0,001, 8 tentativas por nível, aceitação contínua, 17 bits', ...populationRow('pt')]);
      assert.match(await text('#study-earlier', opened), /^Contornos tracejados, .*\(3\. Uma têmpera\)\.$/);
      assert.deepEqual(await axeViolations(opened), []);

      // The same study without an earlier step draws no outline.
      const alone = await openAt('?lang=en');
      try {
        await alone.evaluate(() => window.sa.lesson.run(3));
        assert.equal(await text('#study-earlier', alone), '');
        assert.deepEqual(await table(alone), [['current', "4. The demo's schedule (this step)",
          'T0 100, alpha 0.97, final T 0.1, 8 trials per level, 17 bits', ...studyRow(demo, 'en')]]);
        assert.notEqual(await alone.$eval('#study-plot', (canvas) => canvas.toDataURL()), withOutline);
      } finally {
        await alone.close();
      }
    } finally {
      await opened.close();
    }
  });

  test("a sweep's point, by its final T, loads its schedule into the fields, by the keyboard too", async () => {
    const opened = await openAt('?lang=en&seed=1&runs=200&sweep-t0=1&sweep-alpha=0.8,0.9&sweep-t-final=0.1,0.01,0.001');
    try {
      await opened.waitForSelector('#schedule-form[aria-busy=false]');
      await opened.click('#sweep-start');
      await opened.waitForFunction(() => document.querySelector('#sweep-status').textContent.startsWith('Done'), { timeout: 60000 });
      const points = () => opened.$$eval('#sweep-points button', (buttons) => buttons.map((button) =>
        [button.textContent, button.getAttribute('aria-label'), button.tabIndex, button.getAttribute('aria-pressed')]));
      const described = (alpha, tFinal) => `Load T0 1, alpha ${alpha}, final T ${tFinal}, 8 trials per level, 17 bits`;
      assert.deepEqual(await points(), [['0.8', 0.1], ['0.8', 0.01], ['0.8', 0.001], ['0.9', 0.1], ['0.9', 0.01], ['0.9', 0.001]]
        .map(([alpha, tFinal], i) => [String(tFinal), described(alpha, tFinal), i === 0 ? 0 : -1, 'false']));
      // One stop of Tab; the arrows move along a line and across the lines; Enter loads.
      await opened.focus('#sweep-points button');
      for (const key of ['ArrowRight', 'ArrowDown', 'Enter']) {
        await opened.keyboard.press(key);
      }
      await opened.waitForSelector('#schedule-form[aria-busy=false]');
      const fields = () => opened.$$eval('#schedule-form input, #schedule-form select', (inputs) =>
        Object.fromEntries(inputs.map((input) => [input.name, input.value])));
      assert.deepEqual(await fields(), { seed: '1', runs: '200', t0: '1', alpha: '0.9', 't-final': '0.01', trials: '8', bits: '17',
        acceptance: '', landscape: '', 'x-min': '', 'x-max': '' });
      assert.deepEqual((await points()).map(([, , stop, pressed]) => [stop, pressed]),
        [[-1, 'false'], [-1, 'false'], [-1, 'false'], [-1, 'false'], [0, 'true'], [-1, 'false']]);
      assert.equal(await opened.evaluate(() => document.activeElement.textContent), '0.01');
      assert.match(opened.url(), /[?&]alpha=0\.9&t-final=0\.01(&|$)/);
      // The sweep is of the same seed, runs, trials and bits: it stays.
      assert.ok((await text('#sweep-status', opened)).startsWith('Done'));
      // A click on the chart's last point of α 0.9: the rightmost of its colour below the legend.
      const dot = await opened.$eval('#sweep-chart', (canvas) => {
        const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        const ratio = canvas.width / canvas.clientWidth;
        for (let x = canvas.width - 1; x >= 0; --x) {
          for (let y = Math.round(30 * ratio); y < canvas.height; ++y) {
            const i = 4 * (y * canvas.width + x);
            if (data[i] === 0xc2 && data[i + 1] === 0x41 && data[i + 2] === 0x0c) {
              return [x / ratio - 2.5, y / ratio];
            }
          }
        }
        return null;
      });
      const box = await (await opened.$('#sweep-chart')).boundingBox();
      await opened.mouse.click(box.x + dot[0], box.y + dot[1]);
      await opened.waitForSelector('#schedule-form[aria-busy=false]');
      assert.deepEqual(await fields(), { seed: '1', runs: '200', t0: '1', alpha: '0.9', 't-final': '0.001', trials: '8', bits: '17',
        acceptance: '', landscape: '', 'x-min': '', 'x-max': '' });
      assert.equal((await points())[5][3], 'true');
      // A point pressed in Portuguese.
      await opened.click('[data-lang=pt]');
      assert.deepEqual((await points())[0].slice(0, 2), ['0,1', 'Carregar T0 1, alfa 0,8, T final 0,1, 8 tentativas por nível, 17 bits']);
      await opened.click('#sweep-points button');
      await opened.waitForSelector('#schedule-form[aria-busy=false]');
      assert.deepEqual(await fields(), { seed: '1', runs: '200', t0: '1', alpha: '0,8', 't-final': '0,1', trials: '8', bits: '17',
        acceptance: '', landscape: '', 'x-min': '', 'x-max': '' });
      assert.deepEqual(await axeViolations(opened), []);
    } finally {
      await opened.close();
    }
  });

  test('refuses a step it does not have, saying why', async () => {
    const refused = await page.evaluate(() => Promise.all([8, -1, 1.5, '2'].map((step) =>
      window.sa.lesson.run(step).then(() => null, (e) => [e.name, e.message]))));
    assert.deepEqual(refused, [
      ['RangeError', 'step must be a whole number from 0 to 7, not 8'],
      ['RangeError', 'step must be a whole number from 0 to 7, not -1'],
      ['RangeError', 'step must be a whole number from 0 to 7, not 1.5'],
      ['TypeError', 'step must be a whole number from 0 to 7, not the text "2"'],
    ]);
  });
});

describe('links and languages', () => {
  const params = { seed: 42, runs: 500, t0: 1, alpha: 0.9, tFinal: 0.001, trials: 4, bits: 12 };
  const query = '?t0=1&alpha=0.9&t-final=0.001&trials=4&bits=12&seed=42&runs=500&lang=en&step=demo-schedule';

  test('a link restores its experiment and follows the fields as they change', async () => {
    const linked = await openAt(query);
    await linked.waitForSelector('#schedule-form[aria-busy=false]');
    await linked.waitForSelector('#link-notes[aria-busy=false]');
    assert.equal(await linked.$eval('#link-notes', (notes) => notes.hidden), true);
    const expected = await linked.evaluate((p) => window.sa.check(p), params);
    const { seed, runs, t0, alpha, tFinal, trials, bits, acceptance } = expected;
    assert.deepEqual(await linked.evaluate(() => window.sa.experiment()),
      { seed, runs, t0, alpha, tFinal, trials, bits, acceptance, landscape: 'demo', xMin: -2, xMax: 2, lang: 'en' });
    assert.equal(await linked.$eval('[aria-current=step]', (button) => button.textContent), "4. The demo's schedule");
    assert.match(linked.url(), /[?&]step=demo-schedule(&|$)/);

    await typeInto('[name=alpha]', '0.95', linked);
    await linked.waitForSelector('#schedule-form[aria-busy=false]');
    const changed = linked.url();
    assert.match(changed, /[?&]alpha=0\.95(&|$)/);
    const reopened = await openAt(new URL(changed).search);
    assert.deepEqual(await reopened.evaluate(() => window.sa.experiment()),
      { ...(await linked.evaluate(() => window.sa.experiment())) });
    await reopened.close();
    await linked.close();
  });

  test('"Copy the link" copies the address of the experiment, or shows it where the browser will not', async () => {
    const linked = await openAt(query);
    await linked.waitForSelector('#link-notes[aria-busy=false]');
    const seen = await linked.evaluate(async () => {
      const copied = [];
      const status = () => document.querySelector('#copy-status').textContent;
      Object.defineProperty(navigator, 'clipboard', { configurable: true, value: { writeText: async (text) => copied.push(text) } });
      document.querySelector('#copy-link').click();
      await new Promise((resolve) => setTimeout(resolve, 50));
      const done = status();
      Object.defineProperty(navigator, 'clipboard', { configurable: true, value: { writeText: async () => { throw new Error('denied'); } } });
      document.querySelector('#copy-link').click();
      await new Promise((resolve) => setTimeout(resolve, 50));
      return { copied, done, refused: status(), href: window.location.href };
    });
    assert.deepEqual(seen.copied, [seen.href]);
    assert.match(seen.href, /[?&]step=demo-schedule(&|$)/);
    assert.equal(seen.done, 'The link to this experiment is copied.');
    assert.equal(seen.refused, `The browser would not copy the link: ${seen.href}`);
    await linked.close();
  });

  // A step by its id, or by the number an older link gives it: 1 to 6, the lesson's first six
  // steps as it had them.
  const linkedSteps = [
    ['quench', '3. A quench', 'quench'], ['3', '3. A quench', 'quench'],
    ['5', '5. Slow cooling against the equilibrium', 'slow-cooling'], ['6', '7. The least time to solution', 'time-to-solution'],
    ['demo-floor', "6. The demo's floor: r can be 0", 'demo-floor'],
  ];
  for (const [step, shown, id] of linkedSteps) {
    test(`a link's step=${step} shows step ${shown.split('.')[0]}, and the address names it by its id`, async () => {
      const linked = await openAt(`?lang=en&step=${step}`);
      await linked.waitForSelector('#link-notes[aria-busy=false]');
      assert.equal(await linked.$eval('#link-notes', (notes) => notes.hidden), true);
      assert.equal(await text('[aria-current=step]', linked), shown);
      assert.equal(await text('#lesson-step-title', linked), shown);
      await linked.click('[data-lang=pt]');
      assert.match(linked.url(), new RegExp(`[?&]step=${id}(&|$)`));
      await linked.close();
    });
  }

  // Links that the page takes in part: the notes it shows at the top, the language it is in, and
  // the fields it takes, as sa.check reads them.
  const readOnly = 'the page reads only seed, runs, t0, alpha, t-final, trials, bits, acceptance, landscape, x-min, x-max, ' +
    'sweep-t0, sweep-alpha, sweep-t-final, lang, step, present';
  const steps = "the lesson's steps are random-walk, hill-climbing, quench, demo-schedule, slow-cooling, demo-floor, " +
    'time-to-solution, landscapes, or 1 to 6 as older links number them';
  const partlyTaken = [
    ['?lang=toString&LANG=pt&T0=5&step=99&alpha=0.5', 'en', [
      `LANG=pt was dropped: ${readOnly}.`,
      `T0=5 was dropped: ${readOnly}.`,
      'lang=toString was dropped: the page speaks en, pt.',
      `step=99 was dropped: ${steps}.`,
    ], { alpha: '0.5' }],
    ['?lang=constructor&step=0&alpha=0.5&alpha=0.9&sweep-alpha=2', 'en', [
      'alpha=0.9 was dropped: a key that comes again keeps its first value.',
      'lang=constructor was dropped: the page speaks en, pt.',
      `step=0 was dropped: ${steps}.`,
      'sweep-alpha=2 was dropped: sweep-alpha: must be between 0 and 1, not 2.',
    ], { alpha: '0.5' }],
    ['?lang=__proto__&step=abc&seed=x&t0=1,5&bits=30&runs=300', 'en', [
      'lang=__proto__ was dropped: the page speaks en, pt.',
      `step=abc was dropped: ${steps}.`,
      "seed=x was dropped: seed: 'x' is not a decimal whole number.",
      't0=1,5 was dropped: a link writes its numbers with a decimal point, in every language (0.5, not 0,5).',
      'bits=30 was dropped: bits must be from 2 to 24, not 30.',
    ], { runs: '300' }],
    ['?lang=pt&lang=en&alpha=0,5&t-final=0.01,0.001&trials=4&present=yes', 'pt', [
      'lang=en foi descartado: uma chave que se repete fica com o primeiro valor.',
      'present=yes foi descartado: present=1 abre o modo de apresentação e present=0 não.',
      'alpha=0,5 foi descartado: um endereço escreve os números com ponto decimal, em qualquer idioma (0.5, não 0,5).',
      't-final=0.01,0.001 foi descartado: a página corre um esquema de cada vez: dê um valor, não uma lista.',
    ], { trials: '4' }],
    ['?sweep-alpha=0.5:0.99:0.001&runs=200', 'en', [
      "The link's sweep is refused: the lists make 3437 schedules, more than the 100 a sweep may hold.",
    ], { runs: '200' }],
  ];
  for (const [query, lang, notes, taken] of partlyTaken) {
    test(`a link taken in part says what it lost and why: ${query}`, async () => {
      const linked = await openAt(query);
      await linked.waitForSelector('#link-notes[aria-busy=false]');
      await linked.waitForSelector('#schedule-form[aria-busy=false]');
      assert.deepEqual(await linked.$$eval('#link-notes li', (items) => items.map((item) => item.textContent)), notes);
      assert.equal(await linked.$eval('#link-notes', (element) => element.hidden), false);
      assert.equal(await linked.$eval('html', (html) => html.lang), lang);
      const { seed, runs, t0, alpha, tFinal, trials, bits, acceptance, landscape, xMin, xMax } =
        await linked.evaluate((p) => window.sa.check(p), { ...taken, seed: 1 });
      assert.deepEqual({ ...(await linked.evaluate(() => window.sa.experiment())), seed: 1 },
        { seed, runs, t0, alpha, tFinal, trials, bits, acceptance, landscape, xMin, xMax, lang });
      if (notes.at(-1).startsWith("The link's sweep")) {
        assert.equal(`The link's sweep is refused: ${await text('#sweep-error', linked)}.`, notes.at(-1));
      }
      // The address now holds what was taken, and nothing else.
      const reopened = await openAt(new URL(linked.url()).search);
      await reopened.waitForSelector('#link-notes[aria-busy=false]');
      assert.deepEqual(await reopened.$$eval('#link-notes li', (items) => items.map((item) => item.textContent)),
        notes.filter((note) => note.startsWith("The link's sweep")));
      await reopened.close();
      await linked.close();
    });
  }

  test('every text of the page is in both languages, and the language follows the switch', async () => {
    const tables = await page.evaluate(() => {
      const { texts, messages } = window.saPage;
      // Each step's words: its title, question, look and claims, by name.
      const lessonOf = (lesson) => Object.entries(lesson).map(([id, step]) =>
        [id, Object.keys(step).sort(), Object.keys(step.claims).sort()]);
      return { en: Object.keys(texts.en), pt: Object.keys(texts.pt), lessons: [lessonOf(texts.en.lesson), lessonOf(texts.pt.lesson)],
        faults: [Object.keys(messages.english.kinds), Object.keys(messages.portuguese.kinds)] };
    });
    assert.deepEqual(tables.pt.sort(), tables.en.sort());
    assert.deepEqual(tables.lessons[1], tables.lessons[0]);
    // The eight steps and the closing one.
    assert.equal(tables.lessons[0].length, 9);
    assert.deepEqual(tables.faults[0].filter((kind) => !tables.faults[1].includes(kind)), []);
    for (const lang of ['pt', 'en']) {
      await page.click(`[data-lang=${lang}]`);
      assert.equal(await page.$eval('html', (html) => html.lang), lang);
      assert.match(page.url(), new RegExp(`[?&]lang=${lang}(&|$)`));
      const empty = await page.$$eval('[data-i18n]', (elements) => elements.filter((e) => e.textContent.trim() === '')
        .map((e) => e.dataset.i18n));
      assert.deepEqual(empty.filter((key) => key !== 'loading'), []);
    }
  });

  test("a link keeps a formula and a drawing as typed, in either language, where x's ends follow its style", async () => {
    const formula = 'max(sin(3 * x), 0.2) / 2 + 1.5^2';
    const drawing = 'points:(-1.5,0.25),(0,1),(1.75,0.5)';
    for (const [landscape, lang, other] of [[formula, 'pt', 'en'], [drawing, 'en', 'pt']]) {
      const linked = await openAt(`?landscape=${encodeURIComponent(landscape)}&x-min=-1.5&x-max=2.5&lang=${lang}`);
      await linked.waitForSelector('#schedule-form[aria-busy=false]');
      await linked.waitForSelector('#link-notes[aria-busy=false]');
      assert.equal(await linked.$eval('#link-notes', (notes) => notes.hidden), true);
      const fields = () => linked.evaluate(() => ['landscape', 'x-min'].map((name) => document.querySelector(`[name=${name}]`).value));
      assert.deepEqual(await fields(), [landscape, lang === 'pt' ? '-1,5' : '-1.5']);
      const experiment = await linked.evaluate(() => window.sa.experiment());
      assert.deepEqual([experiment.landscape, experiment.xMin, experiment.xMax], [landscape, -1.5, 2.5]);
      await linked.click(`[data-lang=${other}]`);
      assert.deepEqual(await fields(), [landscape, other === 'pt' ? '-1,5' : '-1.5']);
      const written = new URL(linked.url()).searchParams;
      assert.deepEqual([written.get('landscape'), written.get('x-min')], [landscape, '-1.5']);
      const reopened = await openAt(new URL(linked.url()).search);
      assert.deepEqual(await reopened.evaluate(() => window.sa.experiment()), { ...experiment, lang: other });
      await reopened.close();
      await linked.close();
    }
  });

  test('in Portuguese the fields take a decimal comma, and the study is the same', async (t) => {
    const style = await page.evaluate((s) => window.sa.check({ alpha: '0,9' }, { numberStyle: s }), portuguese);
    if (style.fault) {
      t.skip("waits for numberStyle in the page's interface");
      return;
    }
    const linked = await openAt(query.replace('lang=en', 'lang=pt'));
    await linked.waitForSelector('#schedule-form[aria-busy=false]');
    assert.equal(await linked.$eval('html', (html) => html.lang), 'pt');
    assert.equal(await linked.$eval('[name=alpha]', (input) => input.value), '0,9');
    assert.equal((await linked.evaluate(() => window.sa.experiment())).alpha,
      (await linked.evaluate((p) => window.sa.check(p), params)).alpha);
    await linked.click('#study-start');
    await linked.waitForFunction(() => document.querySelector('#study-status').textContent.startsWith('Feito'), { timeout: 60000 });
    assertNativeStudy(await text('#study-csv', linked), argumentsOf(params));
    await linked.close();
  });
});

describe('many runs and many schedules', () => {
  test("the population view plays the levels of sa_study --population", async (t) => {
    if (!(await hasCall('population'))) {
      t.skip(waiting('population'));
      return;
    }
    const params = { seed: 1, runs: 300, t0: 1, alpha: 0.9, tFinal: 0.001 };
    const native = rowsOfCsv(nativeStudy(options['sa-study'], ['--population', ...argumentsOf(params)]));
    await chooseSchedule(params);
    await page.click('#population-start');
    await page.waitForFunction(() => document.querySelector('#population-status').textContent.startsWith('Done'), { timeout: 60000 });
    for (const at of [0, Math.floor(native.length / 2), native.length - 1]) {
      await page.$eval('#population-level', (slider, value) => {
        slider.value = String(value);
        slider.dispatchEvent(new Event('input'));
      }, at);
      const level = native[at];
      const percent = (share) => `${(100 * share).toFixed(1)} %`;
      assert.deepEqual(await page.$$eval('#population .readout dd', (cells) => cells.map((c) => c.textContent)), [
        `${level.level}, T = ${level.temperature.toPrecision(4)}`,
        `${percent(level.share_global_peak)} (Boltzmann ${percent(level.boltzmann_global_peak)})`,
        `${percent(level.share_second_peak)} (Boltzmann ${percent(level.boltzmann_second_peak)})`,
        level.tv_distance.toFixed(3)]);
      compared.fields += 7;
    }
    compared.populations += 1;
    // README's picture of the view.
    await (await page.$('#population')).screenshot({ path: path.join(options.screenshots, 'population.png') });

    // A landscape of one hill has no second: its figures are empty, as sa_study's CSV has them.
    const oneHill = { seed: 1, runs: 100, t0: 1, alpha: 0.5, tFinal: 0.1, landscape: 'smooth' };
    const lastNative = rowsOfCsv(nativeStudy(options['sa-study'], ['--population', ...argumentsOf(oneHill)])).at(-1);
    assert.equal(lastNative.share_second_peak, null);
    await chooseSchedule(oneHill);
    await page.click('#population-start');
    await page.waitForFunction(() => document.querySelector('#population-status').textContent.startsWith('Done'), { timeout: 60000 });
    const cells = await page.$$eval('#population .readout dd', (dd) => dd.map((c) => c.textContent));
    assert.deepEqual(cells.slice(2, 3), ['—']);
    await setLandscape({});
  });

  test('the sweep view names the least TTS99 of sa_study --csv', async (t) => {
    if (!(await hasCall('sweep'))) {
      t.skip(waiting('sweep'));
      return;
    }
    const lists = { seed: 1, runs: 300, t0: '1', alpha: '0.8,0.9', tFinal: '0.1,0.001,0.00001' };
    const native = rowsOfCsv(nativeStudy(options['sa-study'], argumentsOf(lists)));
    await chooseSchedule({ seed: 1, runs: 300 });
    for (const [name, value] of [['sweep-t0', '1'], ['sweep-alpha', '0.8,0.9'], ['sweep-t-final', '0.1,0.001,0.00001']]) {
      await typeInto(`[name=${name}]`, value);
    }
    await page.click('#sweep-start');
    await page.waitForFunction(() => document.querySelector('#sweep-status').textContent.startsWith('Done'), { timeout: 60000 });
    assert.equal(await page.$$eval('#sweep-table tbody tr', (rows) => rows.length), native.length);
    const least = native.filter((row) => row.tts99_trials !== null)
      .reduce((best, row) => (best === null || row.tts99_trials < best.tts99_trials ? row : best), null);
    const named = `alpha ${least.alpha}, final T ${least.t_final}, ${least.trials_per_level} trials per level, ` +
      `${least.bits} bits: ${Math.round(least.tts99_trials).toLocaleString('en')} trials`;
    assert.ok((await text('#sweep-least')).includes(named), `${await text('#sweep-least')} does not name ${named}`);
    compared.sweeps += 1;
    compared.fields += 5;
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

    // Enter before Tab: once Tab has taken the focus past the page's last control to the
    // browser's own, headless Firefox leaves the page unfocused, its focus back but its keys
    // no longer pressing buttons.
    await page.focus('#step-trial');
    await page.keyboard.press('Enter');
    assert.equal(await text('#live-trial'), '1 of 1,816');

    await page.focus('body');
    const reached = new Set();
    for (let i = 0; i < 70; ++i) {
      await page.keyboard.press('Tab');
      reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.name));
    }
    for (const control of ['lesson-run', 't0', 'bits', 'seed', 'runs', 'demo-schedule', 'play', 'step-trial', 'step-level',
      'to-end', 'restart', 'speed', 'study-start', 'population-start', 'sweep-alpha', 'second', 'console-line']) {
      assert.ok(reached.has(control), `${control} is not reached by Tab`);
    }
  });

  test('axe-core finds nothing at load and once the views have been used, in both languages', async () => {
    for (const lang of ['en', 'pt']) {
      const used = await openAt(`?lang=${lang}`);
      assert.deepEqual(await axeViolations(used), [], `at load, ${lang}`);
      await used.evaluate(() => {
        for (const details of document.querySelectorAll('details')) {
          details.open = true;
        }
      });
      await used.click('#step-level');
      // A step of the lesson run, its claims checked.
      await used.click('#lesson-steps li:nth-child(3) button');
      await used.click('#lesson-run');
      await used.waitForFunction(() => document.querySelectorAll('#lesson-claims li').length > 0, { timeout: 60000 });
      await used.click('#study-start');
      await used.waitForFunction(() => document.querySelector('#study-results dd').textContent !== '–', { timeout: 60000 });
      await used.type('#console-line', '1');
      await used.keyboard.press('Enter');
      await used.waitForFunction(() => document.querySelectorAll('#console-output .typed').length === 1);
      assert.deepEqual(await axeViolations(used), [], `once used, ${lang}`);
      // The focus outline stands out 3:1 from white, from the panels and from the terminal.
      await used.focus('[name=seed]');
      const outline = await used.$eval('[name=seed]', (input) => getComputedStyle(input).outlineColor);
      for (const background of [[255, 255, 255], [243, 244, 246], [17, 24, 39]]) {
        assert.ok(contrast(outline.match(/\d+/g).map(Number), background) >= 3, `${outline} against ${background}`);
      }
      await used.close();
    }
  });

  test("a landscape drawn by mouse and keys is the field's points:, and its study is sa_study's", async () => {
    const drawn = await openAt('?lang=en&seed=3&runs=300');
    await setLandscape({ landscape: 'points:(-2,0.5),(0,1.5),(2,0.5)' }, drawn);
    await drawn.waitForSelector('#landscape-plot[data-landscape^="points:"]');
    await drawn.click('#draw-toggle');
    const placed = () => drawn.$eval('#landscape-plot', (canvas) => JSON.parse(canvas.dataset.points));
    const box = await (await drawn.$('#landscape-plot')).boundingBox();
    const [left, middle] = await placed();
    // A click between the first two points adds one there; a drag takes it right, as far as
    // the next point lets it.
    await drawn.mouse.click(box.x + (left.px + middle.px) / 2, box.y + (left.py + middle.py) / 2);
    await drawn.waitForFunction(() => document.querySelector('[name=landscape]').value.split('(').length === 5);
    const added = (await placed())[1];
    assert.ok(added.x > -1.1 && added.x < -0.9, JSON.stringify(added));
    await drawn.mouse.move(box.x + added.px, box.y + added.py);
    await drawn.mouse.down();
    for (const share of [0.5, 1, 1.5]) {
      await drawn.mouse.move(box.x + added.px + share * (middle.px - added.px), box.y + added.py - 10 * share);
    }
    await drawn.mouse.up();
    await drawn.waitForFunction(() => /^points:\(-2,0\.5\),\(-0\.001,/.test(document.querySelector('[name=landscape]').value));
    // By the keys: the third point up, the last removed.
    await drawn.focus('#draw-points li:nth-child(3) button');
    await drawn.keyboard.press('ArrowUp');
    await drawn.focus('#draw-points li:nth-child(4) button');
    await drawn.keyboard.press('Delete');
    await drawn.waitForFunction(() => document.querySelector('[name=landscape]').value.split('(').length === 4);
    const text = await drawn.$eval('[name=landscape]', (input) => input.value);
    const points = [...text.matchAll(/\((-?[\d.]+),(-?[\d.]+)\)/g)].map(([, x, y]) => [Number(x), Number(y)]);
    assert.deepEqual(points.map(([x]) => x).slice(0, 1).concat(points[1][0], points[2]), [-2, -0.001, 0, 1.51]);
    assert.equal(await drawn.$eval('#draw-points', (list) => list.children.length), 3);
    await drawn.waitForSelector('#schedule-form[aria-busy=false]');
    for (const lang of ['en', 'pt']) {
      await drawn.click(`[data-lang=${lang}]`);
      assert.deepEqual(await axeViolations(drawn), [], `drawing, ${lang}`);
      await (await drawn.$('#schedule')).screenshot({ path: path.join(options.screenshots, `drawing-${lang}.png`) });
    }
    const study = await drawn.evaluate((landscape) => window.sa.study({ seed: 3, runs: 300, landscape }), text);
    assertNativeStudy(study.csv, ['--seed=3', '--runs=300', `--landscape=${text}`]);
    await drawn.close();
  });

  test('fits 390, 1280 and 1920 px in both languages, as the screenshots show', async () => {
    for (const lang of ['en', 'pt']) {
      for (const [width, height] of [[390, 844], [1280, 800], [1920, 1080]]) {
        const shown = await openAt(`?lang=${lang}&seed=1765000000`, { width, height, deviceScaleFactor: width === 390 ? 2 : 1 });
        await shown.waitForSelector('#run-plot[data-bits]');
        // The quench's claims in the card, then the run's first 12 levels.
        await shown.click('#lesson-steps li:nth-child(3) button');
        await shown.click('#lesson-run');
        await shown.waitForFunction(() => document.querySelectorAll('#lesson-claims li').length > 0, { timeout: 60000 });
        await shown.click('#demo-schedule');
        await typeInto('[name=seed]', '1765000000', shown);
        await shown.waitForSelector('#schedule-form[aria-busy=false]');
        await shown.waitForFunction(() => document.querySelector('#run-status').textContent.includes(' 1765000000:'));
        for (let level = 0; level < 12; ++level) {
          await shown.click('#step-level');
        }
        await shown.waitForFunction(() => document.querySelectorAll('#levels tbody tr').length === 12);
        await shown.evaluate(() => window.scrollTo(0, 0));
        await shown.screenshot({ path: path.join(options.screenshots, `page-${lang}-${width}.png`), fullPage: width === 390 });
        const wide = await shown.evaluate(() => document.documentElement.scrollWidth);
        assert.ok(wide <= width, `the page is ${wide} px wide on a ${width} px screen`);
        if (width === 1920) {
          const plot = await shown.$eval('#run-plot', (canvas) => canvas.clientWidth);
          assert.ok(plot >= 800, `the run's plot is ${plot} px wide on 1920`);
        }
        await shown.close();
      }
    }
  });

  test("a step's question, its answer and its view are seen together once it has run", async () => {
    // The hill climb and the quench: the longest claims of a study, and a short one; the
    // landscapes: four claims beside a table and four plots, whose screenshots it leaves.
    const sizes = [
      { width: 1280, height: 800, whole: true },
      { width: 1920, height: 1080, whole: true },
      // 1280 x 800 at 150 % zoom: the answer starts in view, a long one goes on below.
      { width: 853, height: 533, deviceScaleFactor: 1.5, whole: false },
      { width: 390, height: 844, deviceScaleFactor: 2, phone: true, whole: true },
    ];
    for (const lang of ['en', 'pt']) {
      for (const { phone, whole, ...viewport } of sizes) {
        const shown = await openAt(`?lang=${lang}`, viewport);
        for (const [step, view] of [[1, 'study'], [2, 'study'], [7, 'landscapes']]) {
          const where = `${lang}, ${viewport.width} x ${viewport.height}, step ${step + 1}`;
          await shown.evaluate((n) => window.sa.lesson.run(n), step);
          const place = await placeOfAnswer(shown, view);
          if (view === 'landscapes') {
            await shown.screenshot({ path: path.join(options.screenshots, `landscapes-${lang}-${viewport.width}.png`) });
          }
          assert.ok(inView(place.question, place.height), `the question leaves the screen (${where})`);
          assert.ok(inView(place.result, place.height), `the answer leaves the screen (${where})`);
          assert.ok(inView(whole ? place.lastClaim : { ...place.firstClaim, bottom: place.firstClaim.top }, place.height),
            `the claims leave the screen (${where})`);
          const wide = await shown.evaluate(() => document.documentElement.scrollWidth);
          assert.ok(wide <= viewport.width, `the page is ${wide} px wide (${where})`);
          if (phone) {
            // The view a link away.
            assert.ok(place.link && inView(place.link, place.height) && place.link.href === `#${view}`, where);
            assert.ok(!inView(place.answer, place.height), where);
            await shown.click('#lesson-view-link');
            await shown.waitForFunction((id) => document.querySelector(`#${id} [data-answer]`).getBoundingClientRect().top < innerHeight,
              {}, view);
            if (view === 'landscapes') {
              await shown.screenshot({ path: path.join(options.screenshots, `landscapes-${lang}-${viewport.width}-view.png`) });
            }
            await shown.evaluate(() => window.scrollTo(0, 0));
          } else {
            assert.equal(place.link, null, where);
            assert.ok(inView(place.answer, place.height), `the view's answer is not in view (${where})`);
          }
        }
        await shown.close();
      }
    }
  });

  test('presenter mode shows one step beside its view, stepped by Page Down and Page Up', async () => {
    const shown = await openAt('?lang=pt&step=quench&present=1', { width: 1920, height: 1080 });
    const shownSections = () => shown.$$eval('main > section', (sections) => sections
      .filter((section) => getComputedStyle(section).display !== 'none').map((section) => section.id));
    const stepTitle = () => text('#lesson-step-title', shown);
    assert.equal(await shown.$eval('#present', (button) => button.getAttribute('aria-pressed')), 'true');
    assert.deepEqual(await shownSections(), ['lesson', 'study']);
    assert.ok(await shown.evaluate(() => parseFloat(getComputedStyle(document.body).fontSize) >= 22));
    assert.deepEqual(await axeViolations(shown), [], 'presenter mode, before the step runs');

    // Page Down runs the step, then goes on; Page Up goes back.
    await shown.focus('body');
    await shown.keyboard.press('PageDown');
    await shown.waitForFunction(() => document.querySelectorAll('#lesson-claims li').length === 3, { timeout: 60000 });
    assert.equal(await stepTitle(), '3. Uma têmpera');
    assert.deepEqual(await axeViolations(shown), [], 'presenter mode, once the step has run');
    await shown.keyboard.press('PageDown');
    assert.match(await stepTitle(), /^4\. /);
    assert.deepEqual(await shownSections(), ['lesson', 'study']);
    assert.match(await shown.evaluate(() => window.location.search), /&step=demo-schedule&present=1$/);
    await shown.keyboard.press('PageUp');
    await shown.keyboard.press('PageUp');
    assert.match(await stepTitle(), /^2\. /);
    await shown.keyboard.press('Escape');
    assert.equal(await shown.$eval('#present', (button) => button.getAttribute('aria-pressed')), 'false');
    assert.doesNotMatch(await shown.evaluate(() => window.location.search), /present/);
    assert.ok((await shownSections()).length > 2);

    // Outside presenter mode Page Down scrolls the page, as a clicker expects, and keeps the step.
    await shown.evaluate(() => window.scrollTo(0, 0));
    await shown.focus('body');
    await shown.keyboard.press('PageDown');
    await shown.waitForFunction(() => window.scrollY > 0);
    assert.match(await stepTitle(), /^2\. /);
    // The button enters it again, and the link keeps it.
    await shown.focus('#present');
    await shown.keyboard.press('Enter');
    assert.match(await shown.evaluate(() => window.location.search), /&present=1$/);
    assert.deepEqual(await shownSections(), ['lesson', 'study']);
    await shown.close();
    // In English too, on the run's step.
    const english = await openAt('?lang=en&step=random-walk&present=1', { width: 1920, height: 1080 });
    assert.deepEqual(await axeViolations(english), [], 'presenter mode, in English');
    await english.close();
  });

  test('no page logged an error or a warning', () => {
    assert.deepEqual(messages.flat().filter((m) => ['error', 'warn', 'warning', 'pageerror'].includes(m.type)), []);
  });

  test('the browser asked no other machine for anything, by itself or for a page', () => {
    assert.deepEqual(browser.fetchedElsewhere, []);
  });
});

// WCAG's contrast ratio of two sRGB colours.
function contrast(one, other) {
  const luminance = (rgb) => {
    const [r, g, b] = rgb.slice(0, 3).map((c) => {
      const s = c / 255;
      return s <= 0.03928 ? s / 12.92 : ((s + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
  };
  const [dark, light] = [luminance(one), luminance(other)].sort((a, b) => a - b);
  return (light + 0.05) / (dark + 0.05);
}

