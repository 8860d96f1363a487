// The page's calls for scripts held against the native sa_study built from the same checkout:
// a population level by level and a sweep row by row, field by field, in either number style;
// and the interface's refusals of arguments it cannot take, each with the range or the name at
// fault. Usage: node calls.mjs --help

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { after, before, describe, test } from 'node:test';
import { browserOptions, csvFields, fileUrl, launchBrowser, nativeStudy, openPage, parseArguments } from './harness.mjs';

const options = parseArguments('calls.mjs', "Tests the page's calls in headless Chromium or Firefox ESR.", {
  page: { help: "the built page's index.html" },
  'sa-study': { help: 'the native sa_study' },
  ...browserOptions,
});

// sa_study's option for each field, and each field's value as sa_study takes it.
const optionOf = { seed: 'seed', runs: 'runs', t0: 't0', alpha: 'alpha', tFinal: 't-final', trials: 'trials', bits: 'bits', acceptance: 'acceptance' };
const portuguese = { decimalPoint: ',', listSeparator: ';' };
function argumentsOf(params, style) {
  const english = (text) => (style ? String(text).replaceAll(',', '.').replaceAll(';', ',') : String(text));
  return Object.entries(params).map(([field, value]) => `--${optionOf[field]}=${english(value)}`);
}

// A CSV's rows keyed by its heading, numbers as numbers and an empty field as null, as the
// interface has them.
function rowsOf(csv) {
  const [heading, ...lines] = csv.trimEnd().split('\n').map(csvFields);
  const valueOf = (text) => (text === '' ? null : Number.isNaN(Number(text)) ? text : Number(text));
  return lines.map((fields) => Object.fromEntries(fields.map((text, i) => [heading[i], valueOf(text)])));
}

// sa_study's one-line message for bad values, without the program's name.
function nativeRefusal(args) {
  const run = spawnSync(options['sa-study'], args, { encoding: 'utf8' });
  assert.equal(run.status, 2, `sa_study ${args.join(' ')} should refuse its values`);
  return run.stderr.replace(/^sa_study: /, '').trimEnd();
}

// The timings, and whether the medians were measured, which a study split over workers cannot be.
const timing = (name) => /(_us|_seconds)$|^median_measured$/.test(name);
const withoutTimings = (row) => Object.fromEntries(Object.entries(row).filter(([name]) => !timing(name)));
const sum = (values) => values.reduce((a, b) => a + b, 0);

// What the calls have held against sa_study, told when the suite ends: the calls, each number
// of workers counted apart, and the fields of their rows.
const compared = { populations: 0, studies: 0, sweeps: 0, fields: 0 };

let browser;
let page;
let messages;

before(async () => {
  browser = await launchBrowser(options.browser, options.engine);
  ({ page, messages } = await openPage(browser, fileUrl(options.page)));
});

after(async () => {
  await browser?.close();
  const counts = Object.entries(compared).map(([what, count]) => `${what} ${count}`).join(', ');
  process.stdout.write(`# ${browser.engine}: held against sa_study: ${counts}\n`);
});

describe('sa.population', () => {
  const populations = [
    ['a slow schedule, 100 bins', { seed: 1, runs: 2000, t0: 1, alpha: 0.99, tFinal: 0.001 }, 100, null],
    ['a quench on 12 bits, 37 bins, in Portuguese', { seed: 7, runs: 3000, t0: '0,5', alpha: '0,5', tFinal: '0,001', bits: 12 }, 37, portuguese],
  ];
  for (const [name, params, bins, style] of populations) {
    test(`is sa_study --population's CSV, level by level, with any number of workers: ${name}`, async (t) => {
      const native = rowsOf(nativeStudy(options['sa-study'], ['--population', ...argumentsOf(params, style)]));
      let fields = 0;
      let single = null;
      for (const workers of [1, 2, 3, 8]) {
        const levels = await page.evaluate((p, b, s, w) =>
          window.sa.population(p, { bins: b, workers: w, ...(s ? { numberStyle: s } : {}) }), params, bins, style, workers);
        assert.equal(levels.length, native.length);
        for (const [i, { histogram, boltzmann, ...row }] of levels.entries()) {
          assert.deepEqual(row, native[i], `${workers} workers, level ${i}`);
          fields += Object.keys(row).length;
          assert.equal(histogram.length, bins);
          assert.equal(sum(histogram), row.runs, `level ${i}: the histogram holds every run`);
          assert.ok(Math.abs(sum(boltzmann) - 1) < 1e-12, `level ${i}: the equilibrium's mass adds up to ${sum(boltzmann)}`);
        }
        const drawn = levels.map(({ histogram, boltzmann }) => ({ histogram, boltzmann }));
        single ??= drawn;
        assert.deepEqual(drawn, single, `${workers} workers: each level's bins as one worker's`);
        compared.populations += 1;
      }
      compared.fields += fields;
      t.diagnostic(`${native.length} levels, ${fields} fields compared with sa_study --population over 1, 2, 3 and 8 workers`);
    });
  }

  test('reports its runs, then its levels, over all its workers, and can be cancelled', async () => {
    for (const workers of [1, 3]) {
      const seen = await page.evaluate(async (w) => {
        const progress = [];
        await window.sa.population({ seed: 2, runs: 400, t0: 1, alpha: 0.9, tFinal: 0.01, bits: 10 },
          { workers: w, onProgress: (p) => progress.push(p) });
        const controller = new AbortController();
        const cancelled = window.sa.population({ seed: 2, runs: 100000, bits: 20 }, { signal: controller.signal, workers: w })
          .catch((e) => e.name);
        setTimeout(() => controller.abort(), 100);
        return { progress, cancelled: await cancelled };
      }, workers);
      const runs = seen.progress.filter((p) => 'runs' in p);
      const levels = seen.progress.filter((p) => 'levels' in p);
      assert.deepEqual(seen.progress, [...runs, ...levels], `${workers} workers: the runs first, then the levels`);
      assert.ok(runs.every((p, i) => p.runs === 400 && (i === 0 || p.runsDone >= runs[i - 1].runsDone)), JSON.stringify(runs));
      assert.ok(levels.every((p, i) => p.levels === 44 && (i === 0 || p.levelsDone >= levels[i - 1].levelsDone)), JSON.stringify(levels));
      assert.deepEqual(seen.progress.at(-1), { levelsDone: 44, levels: 44 });
      assert.equal(seen.cancelled, 'AbortError');
    }
  });
});

describe('sa.study over workers', () => {
  const studies = [
    ["the demo's schedule", { seed: 1, runs: 3001 }],
    ['a quench on 12 bits under continuous acceptance', { seed: 4294967000, runs: 997, t0: 1, alpha: 0.5, tFinal: 0.001, bits: 12, acceptance: 'continuous' }],
    ['fewer runs than workers', { seed: 9, runs: 3, bits: 8 }],
  ];
  for (const [name, params] of studies) {
    test(`gives sa_study --jobs 2's figures and one worker's histogram with any number of workers: ${name}`, async (t) => {
      const native = rowsOf(nativeStudy(options['sa-study'], [...argumentsOf(params), '--jobs=2']));
      let fields = 0;
      let single = null;
      for (const workers of [1, 2, 3, 8]) {
        const { row, histogram, hills, progress } = await page.evaluate(async (p, w) => {
          const seen = [];
          const { csv, seconds, histogram, hills, ...fieldsOf } =
            await window.sa.study(p, { workers: w, bins: 50, onProgress: (reported) => seen.push(reported) });
          return { row: fieldsOf, histogram, hills: hills.map((hill) => hill.runs), progress: seen };
        }, params, workers);
        assert.deepEqual(withoutTimings(row), withoutTimings(native[0]), `${workers} workers`);
        fields += Object.keys(withoutTimings(row)).length;
        single ??= { histogram, hills };
        assert.deepEqual({ histogram, hills }, single, `${workers} workers: where the runs ended`);
        assert.equal(sum(histogram), params.runs);
        assert.ok(progress.every((p, i) => p.runs === params.runs && (i === 0 || p.runsDone >= progress[i - 1].runsDone)),
          `${workers} workers: the progress of all parts added up, never going back`);
        assert.deepEqual(progress.at(-1), { runsDone: params.runs, runs: params.runs });
        compared.studies += 1;
      }
      compared.fields += fields;
      t.diagnostic(`${fields} fields compared with sa_study --jobs 2 over 1, 2, 3 and 8 workers`);
    });
  }
});

describe('sa.sweep', () => {
  const sweeps = [
    ['four schedules on 12 bits', { seed: 5, runs: 500, alpha: '0.9,0.97', tFinal: '0.1,0.01', bits: 12 }, null],
    ['a range and a list, in Portuguese', { seed: 9, runs: 300, t0: 1, alpha: '0,8:0,9:0,05', tFinal: '0,01;0,0001', trials: 6 }, portuguese],
  ];
  for (const [name, params, style] of sweeps) {
    test(`gives sa_study --csv's rows in its order: ${name}`, async (t) => {
      const native = rowsOf(nativeStudy(options['sa-study'], argumentsOf(params, style)));
      const times = native.map((row) => row.tts99_trials ?? Infinity);
      let fields = 0;
      for (const workers of [1, 3]) {
        const { rows, least } = await page.evaluate(async (p, s, w) => {
          const found = await window.sa.sweep(p, { workers: w, ...(s ? { numberStyle: s } : {}) });
          return { rows: [...found], least: found.least };
        }, params, style, workers);
        assert.deepEqual(rows.map(withoutTimings), native.map(withoutTimings), `${workers} workers`);
        assert.equal(least, times.indexOf(Math.min(...times)));
        fields += sum(rows.map((row) => Object.keys(withoutTimings(row)).length));
        compared.sweeps += 1;
      }
      compared.fields += fields;
      t.diagnostic(`${native.length} schedules, ${fields} fields compared with sa_study --csv over 1 and 3 workers`);
    });
  }
});

describe('sa.landscape', () => {
  test('has every hill, highest first, and a second peak only where the grid shows one', async () => {
    const [fine, coarse] = await page.evaluate(async () => [await window.sa.landscape({ bits: 17 }, { columns: 100 }),
      await window.sa.landscape({ bits: 2 }, { columns: 10 })]);
    for (const grid of [fine, coarse]) {
      assert.equal(grid.hills.length, 11);
      const values = grid.hills.map((hill) => hill.value);
      assert.deepEqual(values, [...values].sort((a, b) => b - a));
      assert.deepEqual([grid.hills[0].fromX, grid.hills[0].toX], [grid.globalPeak.fromX, grid.globalPeak.toX]);
    }
    assert.deepEqual([fine.hills[1].fromX, fine.hills[1].toX], [fine.secondPeak.fromX, fine.secondPeak.toX]);
    assert.equal('secondPeak' in coarse, false);
    assert.equal('fromX' in coarse.hills[1], false);
  });

  test('draws any landscape on its interval, and refuses a bad one as sa.check does', async () => {
    const formula = 'max(sin(3 * x), 0.2) + 1';
    const [drawn, refused, checked] = await page.evaluate(async (f) => [
      await window.sa.landscape({ landscape: f, xMin: 0, xMax: '3', bits: 12 }, { columns: 300 }),
      await window.sa.landscape({ landscape: 'sin(x', bits: 12 }).catch((e) => ({ message: e.message, fault: e.fault })),
      await window.sa.check({ landscape: 'sin(x' })], formula);
    assert.deepEqual([drawn.landscape, drawn.xMin, drawn.xMax, drawn.bits], [formula, 0, 3, 12]);
    // Between 1.2, where max cuts sin off, and 2, at the two peaks of sin(3x) on [0, 3].
    assert.equal(Math.min(...drawn.low), Math.fround(1.2));
    assert.ok(Math.max(...drawn.high) <= 2 && Math.max(...drawn.high) > 1.9999);
    const peaks = drawn.hills.filter((hill) => hill.value > 1.9999).map((hill) => hill.x).sort();
    assert.deepEqual(peaks.map((x) => x.toFixed(3)), [Math.PI / 6, (5 * Math.PI) / 6].map((x) => x.toFixed(3)));
    assert.deepEqual(refused, { message: nativeRefusal(['--landscape=sin(x']), fault: checked.fault });
    assert.deepEqual(checked.fault, { kind: 'bad_formula', field: 'landscape', value: 'sin(x', shown: "'('", limit: 'unclosed', position: 3 });
  });

  test('reports the points it tabulates, and can be cancelled', async () => {
    const seen = await page.evaluate(async () => {
      const progress = [];
      await window.sa.landscape({ bits: 19 }, { columns: 100, onProgress: (p) => progress.push(p) });
      const controller = new AbortController();
      const cancelled = window.sa.landscape({ bits: 24 }, { columns: 100, signal: controller.signal }).catch((e) => e.name);
      setTimeout(() => controller.abort(), 100);
      return { last: progress.at(-1), cancelled: await cancelled };
    });
    assert.deepEqual(seen.last, { pointsDone: 524288, points: 524288 });
    assert.equal(seen.cancelled, 'AbortError');
  });
});

describe('nothing stalls', () => {
  // 989,828,012 levels of one trial: the longest run a schedule may make, a few seconds to count.
  const longest = "t0: '1e30', alpha: '0.99999994', tFinal: '23842', trials: 1";
  const capMessage = (shown) => `the runs asked for make ${shown} trials in all, more than the 1e+09 that the page ` +
    'makes in one go: ask for fewer runs or shorter schedules';
  const capFault = (shown) => ({ kind: 'too_many_trials', field: null, value: '', shown, limit: '1e+09' });
  const traced = 'T0 1e+30, alpha 0.99999994, final T 1e-30, 1000000 trials per level, 17 bits';

  // The costliest request of each call, which it must refuse at once: the call, and the refusal.
  const costliest = [
    [`sa.check({ ${longest}, runs: 100000 })`, capMessage('9.9e+13'), capFault('9.9e+13')],
    [`sa.study({ ${longest}, runs: 100000 })`, capMessage('9.9e+13'), capFault('9.9e+13')],
    [`sa.population({ ${longest}, runs: 100000 })`, capMessage('9.9e+13'), capFault('9.9e+13')],
    [`sa.sweep({ ${longest.replace("'23842'", "'24000:123000:1000'")}, runs: 100000 })`, capMessage('9.7e+15'),
      capFault('9.7e+15')],
    ['sa.trace({ t0: 1e30, alpha: 0.99999994, tFinal: 1e-30, trials: 1000000 })',
      `${traced}: about 2.3e+15 trials per run, more than the 10^9 a run may make`,
      { kind: 'run_too_long', field: null, value: traced, shown: '2.3e+15', limit: '10^9' }],
    ['sa.landscape({ bits: 25 })', '--bits must be from 2 to 24, not 25',
      { kind: 'out_of_range', field: 'bits', value: '25', shown: '25', limit: 'from 2 to 24' }],
  ];
  test(`the page refuses the costliest request of ${costliest.length} calls within a second, the same cap for all`, async (t) => {
    // Each lane's worker started, as it is once the page has been used.
    await page.evaluate(() => Promise.all([window.sa.check({}), window.sa.study({ runs: 1 }), window.sa.population({ runs: 1 }),
      window.sa.sweep({ runs: 1 }), window.sa.trace({}), window.sa.landscape({})]));
    for (const [call, message, fault] of costliest) {
      const refused = await page.evaluate(async (c) => {
        const began = performance.now();
        const [said, fault] = await (0, eval)(c).then((checked) => [checked.error, checked.fault], (e) => [e.message, e.fault]);
        return { said, fault, ms: performance.now() - began };
      }, call);
      t.diagnostic(`${call}: refused in ${refused.ms.toFixed(0)} ms`);
      assert.equal(refused.said, message, call);
      assert.deepEqual(refused.fault ?? null, fault, call);
      assert.ok(refused.ms < 1000, `${call} took ${refused.ms} ms to be refused`);
    }
    const portuguese = await page.evaluate((f) => window.saPage.messages.describe(f, window.saPage.messages.portuguese),
      capFault('9.9e+13'));
    assert.equal(portuguese, 'as execuções pedidas fazem 9,9e+13 tentativas ao todo, mais do que as 1e+09 que a página ' +
      'faz de uma vez: peça menos execuções ou esquemas mais curtos');
    // Numbers in sa_study's English, written in Portuguese as the page's panels write them.
    const inPortuguese = await page.evaluate((faults) => faults.map((f) =>
      window.saPage.messages.describe(f, window.saPage.messages.portuguese)), [
      { kind: 'too_many_runs', field: 'runs', value: '200000', shown: '200000', limit: '100,000' },
      { kind: 'population_too_large', field: null, value: 'T0 1, alpha 0.9999', shown: 'about 69075 levels', limit: '10,000 levels' },
      { kind: 'population_too_large', field: null, value: 'T0 1', shown: '688 levels of 16777216 grid points',
        limit: '10^9 grid points over all levels' },
      { kind: 'out_of_range', field: 'bits', value: '30', shown: '30', limit: 'from 2 to 24' },
      { kind: 'run_too_long', field: null, value: 'T0 1e+30', shown: '1.2e+12', limit: '1,000,000,000' },
    ]);
    assert.deepEqual(inPortuguese, [
      '--runs tem de ser no máximo 100\u00a0000 nesta página',
      'T0 1, alfa 0,9999: cerca de 69075 níveis, mais do que os 10\u00a0000 níveis que uma população acompanha',
      'T0 1: 688 níveis de 16777216 pontos da grelha, mais do que os 10^9 pontos da grelha em todos os níveis que uma ' +
        'população acompanha',
      '--bits tem de estar entre 2 e 24, não 30',
      'T0 1e+30: cerca de 1,2e+12 tentativas por execução, mais do que as 1\u00a0000\u00a0000\u00a0000 que uma execução ' +
        'pode fazer',
    ]);
  });

  // A long request of each call that runs in workers, whose workers must all end when it is
  // stopped, and a short one of the same lane, which must still be answered.
  const long = [
    ['check', `(o) => window.sa.check({ ${longest}, runs: 1 }, o)`, '() => window.sa.check({})', 1],
    ['trace', '(o) => window.sa.trace({ seed: 1, trials: 1000000, alpha: 0.9 }, o)', '() => window.sa.trace({ seed: 5 })', 1],
    ['study', '(o) => window.sa.study({ seed: 1, runs: 100000, trials: 44 }, { ...o, workers: 3 })', '() => window.sa.study({ runs: 10 })', 3],
    ['population', '(o) => window.sa.population({ seed: 2, runs: 100000, bits: 20 }, { ...o, workers: 2 })', '() => window.sa.population({ runs: 10 })', 2],
    ['sweep', "(o) => window.sa.sweep({ seed: 1, runs: 100000, alpha: '0.9,0.97' }, { ...o, workers: 2 })", '() => window.sa.sweep({ runs: 10 })', 2],
    ['landscape', "(o) => window.sa.landscape({ bits: 24, landscape: 'sin(3 * x) + x / 4' }, o)",
      '() => window.sa.landscape({ bits: 10 })', 1],
  ];
  test(`${long.length} calls stop within a second of their signal, and their lane answers the next`, async (t) => {
    for (const [name, call, next, workers] of long) {
      const stopped = await page.evaluate(async (c, n) => {
        const { terminate } = Worker.prototype;
        let ended = 0;
        Worker.prototype.terminate = function counted() {
          ++ended;
          return terminate.call(this);
        };
        try {
          const controller = new AbortController();
          const running = (0, eval)(c)({ signal: controller.signal }).then(() => 'resolved', (e) => e.name);
          await new Promise((resolve) => setTimeout(resolve, 300));
          const aborted = performance.now();
          controller.abort();
          const outcome = await running;
          const ms = performance.now() - aborted;
          const workersEnded = ended;
          await (0, eval)(n)();
          return { outcome, ms, workersEnded, nextMs: performance.now() - aborted };
        } finally {
          Worker.prototype.terminate = terminate;
        }
      }, call, next);
      t.diagnostic(`sa.${name}: stopped ${stopped.ms.toFixed(0)} ms after its signal; the next call answered after ` +
        `${stopped.nextMs.toFixed(0)} ms`);
      assert.equal(stopped.outcome, 'AbortError', name);
      assert.equal(stopped.workersEnded, workers, `the workers of sa.${name} were not all ended`);
      assert.ok(stopped.ms < 1000, `sa.${name} took ${stopped.ms} ms to stop`);
      assert.ok(stopped.nextMs < 5000, `sa.${name}'s lane answered the next call after ${stopped.nextMs} ms`);
    }
  });

  test("sa.experiment refuses the costliest link within a second, and stops waiting for a long one at its signal", async (t) => {
    const link = '?t0=1e30&alpha=0.99999994&t-final=23842&trials=1';
    const seen = {};
    for (const [runs, abortAfter] of [[100000, null], [1, 300]]) {
      const { page: linked, messages: logged } = await openPage(browser, `${fileUrl(options.page)}${link}&runs=${runs}`);
      seen[runs] = await linked.evaluate(async (after) => {
        const controller = new AbortController();
        const began = performance.now();
        let aborted = null;
        if (after !== null) {
          setTimeout(() => {
            aborted = performance.now();
            controller.abort();
          }, after);
        }
        const said = await window.sa.experiment({ signal: controller.signal }).then(() => 'resolved', (e) => e.message);
        return { said, ms: performance.now() - (aborted ?? began) };
      }, abortAfter);
      messages.push(...logged);
      await linked.close();
    }
    t.diagnostic(`refused in ${seen[100000].ms.toFixed(0)} ms from the call, the page just opened; stopped ` +
      `${seen[1].ms.toFixed(0)} ms after its signal`);
    assert.equal(seen[100000].said, capMessage('9.9e+13'));
    assert.equal(seen[1].said, 'the call was cancelled');
    for (const { ms } of Object.values(seen)) {
      assert.ok(ms < 1000, `${ms} ms`);
    }
  });

  test('a long trace holds up no other call, not even a landscape', async () => {
    const answered = await page.evaluate(async () => {
      const controller = new AbortController();
      const tracing = window.sa.trace({ seed: 1, trials: 1000000, alpha: 0.9 }, { signal: controller.signal }).catch((e) => e.name);
      await new Promise((resolve) => setTimeout(resolve, 300));
      const began = performance.now();
      const [grid, checked] = await Promise.all([window.sa.landscape({ bits: 12 }), window.sa.check({ seed: 1 })]);
      const ms = performance.now() - began;
      controller.abort();
      return { ms, bits: grid.bits, fault: checked.fault, trace: await tracing };
    });
    assert.deepEqual({ ...answered, ms: undefined }, { ms: undefined, bits: 12, fault: null, trace: 'AbortError' });
    assert.ok(answered.ms < 5000, `the landscape and the check answered after ${answered.ms} ms`);
  });

  test('a call whose onProgress throws ends with what it threw, and its lane answers the next', async () => {
    const ended = await page.evaluate(async () => {
      const calls = {
        study: [(o) => window.sa.study({ seed: 1, runs: 20000 }, o), () => window.sa.study({ runs: 10 })],
        population: [(o) => window.sa.population({ seed: 1, runs: 2000, t0: 1, alpha: 0.9, tFinal: 0.01, bits: 10 }, o),
          () => window.sa.population({ runs: 10 })],
        sweep: [(o) => window.sa.sweep({ seed: 1, runs: 2000, alpha: '0.9,0.95' }, o), () => window.sa.sweep({ runs: 10 })],
        landscape: [(o) => window.sa.landscape({ bits: 22 }, o), () => window.sa.landscape({ bits: 10 })],
      };
      const seen = {};
      for (const [name, [call, next]] of Object.entries(calls)) {
        const thrown = new Error(`${name} has seen enough`);
        let reports = 0;
        const onProgress = () => {
          ++reports;
          throw thrown;
        };
        const outcome = await call({ onProgress }).then(() => 'resolved', (e) => (e === thrown ? 'what it threw' : String(e)));
        await next();
        seen[name] = { outcome, reports };
      }
      return seen;
    });
    const each = { outcome: 'what it threw', reports: 1 };
    assert.deepEqual(ended, { study: each, population: each, sweep: each, landscape: each });
  });
});

describe('the interface', () => {
  // A call that must be refused: the error's name and message.
  const refusals = [
    ['study', [{ seed: 1, runs: 10 }, { bins: 0 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 0'],
    ['study', [{ seed: 1, runs: 10 }, { bins: -5 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not -5'],
    ['study', [{ seed: 1, runs: 10 }, { bins: 1e9 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 1000000000'],
    ['study', [{ seed: 1, runs: 10 }, { bins: 2.5 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 2.5'],
    ['study', [{ seed: 1, runs: 10 }, { bins: '10' }], 'TypeError', 'bins must be a whole number from 1 to 1000, not the text "10"'],
    ['population', [{ seed: 1, runs: 10 }, { bins: 0 }], 'RangeError', 'bins must be a whole number from 1 to 1000, not 0'],
    ['landscape', [{}, { columns: 0 }], 'RangeError', 'columns must be a whole number from 1 to 10000, not 0'],
    ['landscape', [{}, { columns: 20000 }], 'RangeError', 'columns must be a whole number from 1 to 10000, not 20000'],
    ['landscape', [{}, { columns: '10' }], 'TypeError', 'columns must be a whole number from 1 to 10000, not the text "10"'],
    ['landscape', [{ runs: 5 }], 'TypeError', "params has no 'runs': it takes landscape, xMin, xMax, bits"],
    ['landscape', [10], 'TypeError', 'params must be an object, not 10'],
    ['session', ['5', ''], 'TypeError', 'a clock second must be a whole number from 0 to 4294967295, not the text "5"'],
    ['session', [-1, ''], 'RangeError', 'a clock second must be a whole number from 0 to 4294967295, not -1'],
    ['session', [5, 7], 'TypeError', "a session's input must be text, not 7"],
    ['study', [{ seed: 1, rns: 5 }], 'TypeError', "params has no 'rns': it takes seed, runs, t0, alpha, tFinal, trials, bits, acceptance, landscape, xMin, xMax"],
    ['check', ['x'], 'TypeError', 'params must be an object, not the text "x"'],
    ['check', [[0.9]], 'TypeError', 'params must be an object, not an array'],
    ['check', [null], 'TypeError', 'params must be an object, not null'],
    ['trace', [{ alpha: [0.9] }], 'TypeError', 'params.alpha must be a number or text, not an array'],
    ['sweep', [{}, { bins: 5 }], 'TypeError', "options has no 'bins': it takes onProgress, signal, numberStyle, workers"],
    ['study', [{ seed: 1, runs: 10 }, { workers: 0 }], 'RangeError', 'workers must be a whole number from 1 to 8, not 0'],
    ['sweep', [{ seed: 1, runs: 10 }, { workers: 9 }], 'RangeError', 'workers must be a whole number from 1 to 8, not 9'],
    ['study', [{ seed: 1, runs: 10 }, { workers: 1.5 }], 'RangeError', 'workers must be a whole number from 1 to 8, not 1.5'],
    ['sweep', [{ seed: 1, runs: 10 }, { workers: '2' }], 'TypeError', 'workers must be a whole number from 1 to 8, not the text "2"'],
    ['study', [{}, { onProgress: 1 }], 'TypeError', 'onProgress must be a function, not 1'],
    ['check', [{}, { numberStyle: { decimalPoint: ';' } }], 'RangeError', "numberStyle.decimalPoint must be '.' or ',', not the text \";\""],
    ['check', [{}, { numberStyle: { decimalPoint: ',' } }], 'RangeError', "numberStyle's decimal point and list separator must differ, not both ','"],
    ['check', [{}, { numberStyle: { comma: ',' } }], 'TypeError', "numberStyle has no 'comma': it takes decimalPoint, listSeparator"],
  ];
  test(`refuses ${refusals.length} arguments it cannot take, saying why`, async () => {
    for (const [call, args, name, message] of refusals) {
      const refused = await page.evaluate((c, a) => window.sa[c](...a).then(() => null, (e) => [e.name, e.message]), call, args);
      assert.deepEqual(refused, [name, message], `sa.${call}(${JSON.stringify(args)})`);
    }
  });

  // Arguments that JSON cannot carry into the page, built there: the call, the error's name and
  // its message.
  const builtRefusals = [
    ['sa.check({ seed: 10n })', 'TypeError', 'params.seed must be a number or text, not the BigInt 10n'],
    ['sa.check({ seed: {} })', 'TypeError', 'params.seed must be a number or text, not an object'],
    ['sa.check({ seed: Symbol("s") })', 'TypeError', 'params.seed must be a number or text, not a symbol'],
    ['sa.check(() => 1)', 'TypeError', 'params must be an object, not a function'],
    ['sa.check({}, 5)', 'TypeError', 'options must be an object, not 5'],
    ['sa.check({}, { signal: "stop" })', 'TypeError', 'signal must be an AbortSignal, not the text "stop"'],
    ['sa.landscape({}, { signal: {} })', 'TypeError', 'signal must be an AbortSignal, not an object'],
    ['sa.study({ seed: 1, runs: 10 }, { bins: -0 })', 'RangeError', 'bins must be a whole number from 1 to 1000, not -0'],
    ['sa.landscape({}, { columns: -0 })', 'RangeError', 'columns must be a whole number from 1 to 10000, not -0'],
    ['sa.trace({}, { bins: 5 })', 'TypeError', "options has no 'bins': it takes numberStyle, signal"],
    ['sa.experiment({ evil: 1 })', 'TypeError', "options has no 'evil': it takes signal"],
    ['sa.experiment(7)', 'TypeError', 'options must be an object, not 7'],
  ];
  test(`refuses ${builtRefusals.length} arguments that JSON cannot carry, naming each as a user would`, async () => {
    for (const [call, name, message] of builtRefusals) {
      const refused = await page.evaluate((c) => (0, eval)(c).then(() => null, (e) => [e.name, e.message]), call);
      assert.deepEqual(refused, [name, message], call);
    }
  });

  test('reads only the own names of params and options, never what Object.prototype holds', async () => {
    const read = await page.evaluate(async () => {
      const inherited = { bins: 0, numberStyle: { decimalPoint: ';' }, signal: 'stop', onProgress: 1, bits: 30 };
      Object.assign(Object.prototype, inherited);
      try {
        const levels = await window.sa.population({ seed: 1, runs: 10, t0: 1, alpha: 0.5, tFinal: 0.01, bits: 6 }, {});
        const checked = await window.sa.check(Object.create({ runs: 0 }));
        return { levels: levels.length, bins: levels[0].histogram.length, fault: checked.fault, bits: checked.bits, runs: checked.runs };
      } finally {
        for (const name of Object.keys(inherited)) {
          delete Object.prototype[name];
        }
      }
    });
    assert.deepEqual(read, { levels: 7, bins: 100, fault: null, bits: 17, runs: 1000 });
  });

  // Values that sa_study refuses, given to the page, which must refuse them in sa_study's words.
  // A number given as a number is read as sa_study reads its text: -0 with its sign, a
  // subnormal as the number it is.
  const nativeRefusals = [
    ['population', '{ seed: 1, t0: 100, alpha: 0.9999, tFinal: 0.1, bits: 8 }', ['--population', '--seed=1', '--t0=100', '--alpha=0.9999', '--t-final=0.1', '--bits=8']],
    ['population', '{ seed: 1, runs: 10, t0: 1, alpha: 0.999, tFinal: 0.001, bits: 20 }', ['--population', '--seed=1', '--runs=10', '--t0=1', '--alpha=0.999', '--t-final=0.001', '--bits=20']],
    ['check', '{ t0: -0 }', ['--t0=-0']],
    ['check', "{ t0: '-0' }", ['--t0=-0']],
    ['check', '{ tFinal: 5e-324 }', ['--t-final=5e-324']],
    ['check', "{ tFinal: '2e-324' }", ['--t-final=2e-324']],
    ['trace', '{ t0: 1e30, alpha: 0.99999994, tFinal: 1e-30, trials: 1000000 }', ['--trace', '--t0=1e30', '--alpha=0.99999994', '--t-final=1e-30', '--trials=1000000']],
  ];
  test(`refuses ${nativeRefusals.length} values as sa_study does, to the character`, async () => {
    for (const [call, params, args] of nativeRefusals) {
      const said = await page.evaluate((c) => (0, eval)(c).then((checked) => checked.error, (e) => e.message),
        `window.sa.${call}(${params})`);
      assert.equal(said, nativeRefusal(args), `sa.${call}(${params})`);
    }
  });

  test("refuses a sweep beyond the page's bounds, with the fault", async () => {
    const kinds = await page.evaluate(async () => Promise.all([
      { alpha: '0.5:0.99:0.0049' },
      { runs: 100000, alpha: '0.9,0.99', tFinal: '0.0000001' },
    ].map((p) => window.sa.sweep(p).catch((e) => e.fault.kind))));
    assert.deepEqual(kinds, ['too_many_schedules', 'too_many_trials']);
  });

  test('refuses a session whose output the page cannot hold, rather than cut it', async () => {
    const refused = await page.evaluate(() => window.sa.session(1, '1\n'.repeat(60000)).catch((e) => [e.name, e.message]));
    assert.deepEqual(refused, ['RangeError', 'the session prints more than 16 MiB, more than the page holds: give it less input']);
    const whole = await page.evaluate(() => window.sa.session(1, '1\n'.repeat(2000)));
    assert.equal(whole.split('Escolha:').length, 2002);
  });

  test('names no field and no fault that the libraries lack, and lacks none they have', async () => {
    const named = await page.evaluate(async () => {
      const { vocabulary, messages: words } = window.saPage;
      const inputs = (form) => [...document.getElementById(form).elements]
        .filter((element) => ['INPUT', 'SELECT'].includes(element.tagName)).map((input) => input.name).sort();
      const checked = await window.sa.check({ seed: 1 });
      const field = (kind) => ({ kind, field: 't0', value: '1', shown: '1', limit: '2' });
      return {
        faults: [...vocabulary.faults].sort(),
        english: Object.keys(words.english.kinds).sort(),
        portuguese: Object.keys(words.portuguese.kinds).sort(),
        unworded: vocabulary.faults.flatMap((kind) => [words.english, words.portuguese]
          .map((table) => words.describe(field(kind), table))
          .filter((text) => text === '' || text.includes('undefined'))),
        pageKeys: vocabulary.fields.filter((f) => f.page).map((f) => f.key).sort(),
        pageParams: vocabulary.fields.filter((f) => f.page).map((f) => f.param).sort(),
        schedule: inputs('schedule-form'),
        sweep: inputs('sweep-form').map((name) => name.replace(/^sweep-/, '')),
        acceptances: vocabulary.acceptances,
        acceptanceChoices: [...document.querySelectorAll('#schedule-form [name=acceptance] option')]
          .map((option) => option.value),
        checked: Object.keys(checked).sort(),
      };
    });
    assert.deepEqual(named.english, named.faults);
    assert.deepEqual(named.portuguese, named.faults);
    assert.deepEqual(named.unworded, []);
    assert.deepEqual(named.schedule, named.pageKeys);
    assert.ok(named.sweep.every((key) => named.pageKeys.includes(key)), named.sweep.join());
    // The default rule is chosen by leaving the field out, so that links keep it out too.
    assert.deepEqual(named.acceptanceChoices, ['', ...named.acceptances.slice(1)]);
    assert.ok(named.pageParams.every((param) => named.checked.includes(param)), named.checked.join());
  });

  test('logged no error or warning', () => {
    assert.deepEqual(messages.filter((m) => ['error', 'warn', 'warning', 'pageerror'].includes(m.type)), []);
  });

  test('the browser asked no other machine for anything, by itself or for a page', () => {
    assert.deepEqual(browser.fetchedElsewhere, []);
  });
});
