'use strict';

// The guided lesson: experiments, each a preset of the fields, a question, what to look for,
// the view that answers it, and claims about what that view finds. A claim is a fixed
// statement, whose figures are filled in from the experiment's results, and a test of those
// figures that says whether it holds: its words never depend on the answer, and one that does
// not hold is shown as not holding. The figures come from the libraries, never typed in here.
// Choosing a step only shows it, so that a shared link keeps its own fields.
(function () {
  const { language, vocabulary } = window.saPage;

  // Seed 1 and 1000 runs throughout, so that every visitor sees the same figures.
  const common = { seed: '1', runs: '1000' };

  // How each kind of figure is written in the page's language.
  const writers = {
    whole: (n, format) => format.whole(n),
    share: (n, format) => format.percent(n),
    temperature: (n, format) => format.significant(n, 3),
    distance: (n, format) => format.fixed(n, 3),
    value: (n, format) => format.plain(n),
  };

  const sum = (values) => values.reduce((total, value) => total + value, 0);

  // A study's shares of runs, as the study, quench and demo steps state them.
  function shares(study) {
    const of = (count) => count / study.runs;
    return {
      runs: study.runs,
      global: of(study.global_peak_runs),
      second: of(study.second_peak_runs),
      other: of(study.runs - study.global_peak_runs - study.second_peak_runs),
      exact: of(study.exact_optimum_runs),
    };
  }
  const shareKinds = { runs: 'whole', global: 'share', second: 'share', other: 'share', exact: 'share' };

  // Down to this temperature the slowly cooled runs are held to keep up with Boltzmann's
  // distribution; below it the two equilibrium steps part.
  const warm = 0.12;

  // What a population's levels show: the largest distance at T >= warm, the last level, and the
  // level with the most runs on the global peak (the first of equals).
  function cooled(levels) {
    const last = levels[levels.length - 1];
    const peak = levels.reduce((best, level) => (level.share_global_peak > best.share_global_peak ? level : best));
    return {
      warmMax: levels.filter((level) => level.temperature >= warm)
        .reduce((most, level) => Math.max(most, level.tv_distance), 0),
      lastT: last.temperature,
      lastTv: last.tv_distance,
      lastShare: last.share_global_peak,
      lastBz: last.boltzmann_global_peak,
      lastSecond: last.share_second_peak,
      peak: peak.share_global_peak,
      peakT: peak.temperature,
      secondAtPeak: peak.share_second_peak,
    };
  }
  const cooledKinds = {
    warmMax: 'distance', lastT: 'temperature', lastTv: 'distance', lastShare: 'share', lastBz: 'share',
    lastSecond: 'share', peak: 'share', peakT: 'temperature', secondAtPeak: 'share',
  };

  // What a sweep shows: how many of its lines (one per T0, cooling factor, trials and bits) have
  // their least TTS99 inside their range of final temperatures, and the least of all.
  function swept(rows) {
    const lines = new Map();
    for (const row of rows) {
      const key = `${row.t0} ${row.alpha} ${row.trials_per_level} ${row.bits}`;
      lines.set(key, [...(lines.get(key) ?? []), row]);
    }
    const inside = [...lines.values()].filter((line) => {
      const byLength = line.slice().sort((a, b) => a.trials_per_run - b.trials_per_run);
      const times = byLength.map((row) => row.tts99_trials ?? Infinity);
      const least = times.indexOf(Math.min(...times));
      return least > 0 && least < times.length - 1;
    }).length;
    const least = rows.least === null ? null : rows[rows.least];
    return {
      lines: lines.size,
      inside,
      fastest: Math.min(...rows.map((row) => row.alpha)),
      alpha: least?.alpha ?? NaN,
      tFinal: least?.t_final ?? NaN,
      tts: least?.tts99_trials ?? NaN,
      perRun: least?.trials_per_run ?? NaN,
      success: least ? least.exact_optimum_runs / least.runs : NaN,
    };
  }

  // What the twelve studies of the landscapes show, each figure named by landscape, schedule and
  // what it is (`ruggedClimbGlobal`): the shares of runs whose best point is on the exact
  // optimum and on the global peak, TTS99 to each (NaN where no run reached it); and, for the
  // claims, the least share on the global peak of the smooth hill's schedules, the needle's least
  // and most TTS99 to its top, and on how many landscapes restarted climbs reach the top in
  // fewer trials than the demo's schedule.
  const presets = ['smooth', 'needle', 'deceptive', 'rugged'];
  const capital = (word) => word[0].toUpperCase() + word.slice(1);
  const studied = { Exact: 'share', Global: 'share', Tts: 'whole', PeakTts: 'whole' };
  const landscapeKinds = {
    ...Object.fromEntries(presets.flatMap((landscape) => ['climb', 'demo', 'slow'].flatMap((schedule) =>
      Object.entries(studied).map(([what, kind]) => [`${landscape}${capital(schedule)}${what}`, kind])))),
    smoothLeastGlobal: 'share', needleLeastTts: 'whole', needleMostTts: 'whole', climbWins: 'whole',
  };
  function compareLandscapes(studies) {
    const figures = {};
    for (const { landscape, schedule, result } of studies) {
      const name = `${landscape}${capital(schedule)}`;
      figures[`${name}Exact`] = result.exact_optimum_runs / result.runs;
      figures[`${name}Global`] = result.global_peak_runs / result.runs;
      figures[`${name}Tts`] = result.tts99_trials ?? NaN;
      figures[`${name}PeakTts`] = result.peak_tts99_trials ?? NaN;
    }
    const needle = ['Climb', 'Demo', 'Slow'].map((schedule) => figures[`needle${schedule}Tts`]);
    return {
      ...figures,
      smoothLeastGlobal: Math.min(figures.smoothClimbGlobal, figures.smoothDemoGlobal, figures.smoothSlowGlobal),
      needleLeastTts: Math.min(...needle),
      needleMostTts: Math.max(...needle),
      climbWins: presets.filter((landscape) => figures[`${landscape}ClimbTts`] < figures[`${landscape}DemoTts`]).length,
    };
  }

  // The steps, in order. `view` answers the question; `fields` are keyed as the page's address
  // keys them, in English style, and `sweep` sets the sweep's lists; `figures` takes what the
  // view resolved to, `kinds` says how each figure is written, and each claim's `holds` tests
  // the figures (its words are in texts.js, under the step's id and the claim's name).
  const steps = [
    {
      id: 'random-walk',
      view: 'run',
      fields: { t0: '10000', 't-final': '1000' },
      figures: ({ worseTaken, worseTried }) => ({ taken: worseTaken, tried: worseTried, share: worseTaken / worseTried }),
      kinds: { taken: 'whole', tried: 'whole', share: 'share' },
      claims: [{ name: 'nearlyAll', holds: (f) => f.share > 0.99 }],
      prediction: { kind: 'share', answer: 'share' },
    },
    {
      id: 'hill-climbing',
      view: 'study',
      fields: { t0: '0.000001', 't-final': '0.0000001' },
      figures: (study) => {
        const outer = study.hills.filter((hill) => Math.abs(hill.x) > 0.9);
        return {
          ...shares(study),
          outer: sum(outer.map((hill) => hill.runs)),
          outerShare: sum(outer.map((hill) => hill.points)) / sum(study.hills.map((hill) => hill.points)),
        };
      },
      kinds: { ...shareKinds, outer: 'whole', outerShare: 'share' },
      claims: [
        { name: 'noOuterHill', holds: (f) => f.outer === 0 && f.outerShare > 0.5 },
        { name: 'notAllOnTop', holds: (f) => f.global < 2 / 3 },
      ],
      prediction: { kind: 'share', answer: 'global' },
    },
    {
      id: 'quench',
      view: 'study',
      fields: { alpha: '0.5' },
      figures: shares,
      kinds: shareKinds,
      claims: [
        { name: 'mostOnTop', holds: (f) => f.global > 0.5 },
        { name: 'secondFrozen', holds: (f) => f.second > 0.2 },
        { name: 'othersFrozen', holds: (f) => f.other > 0 },
      ],
      // All on the global peak, most of them, or fewer than half.
      prediction: { kind: 'choice', answer: 'global', choose: (f) => (f.global === 1 ? 0 : f.global > 0.5 ? 1 : 2) },
    },
    {
      id: 'demo-schedule',
      view: 'study',
      fields: {},
      figures: shares,
      kinds: shareKinds,
      claims: [
        { name: 'allOnTop', holds: (f) => f.global === 1 },
        { name: 'fewOnTopPoint', holds: (f) => f.exact < 0.1 },
      ],
      prediction: { kind: 'share', answer: 'exact' },
    },
    {
      id: 'slow-cooling',
      view: 'population',
      fields: { t0: '1', alpha: '0.999', 't-final': '0.001', acceptance: 'continuous' },
      figures: cooled,
      kinds: cooledKinds,
      claims: [
        { name: 'keepUp', holds: (f) => f.warmMax < 0.1 },
        { name: 'fallBehind', holds: (f) => f.lastTv > 0.15 },
        { name: 'holdTheTop', holds: (f) => f.peak <= f.lastShare },
      ],
      prediction: { kind: 'share', answer: 'lastShare' },
    },
    {
      id: 'demo-floor',
      view: 'population',
      fields: { t0: '1', alpha: '0.999', 't-final': '0.001' },
      figures: cooled,
      kinds: cooledKinds,
      claims: [
        { name: 'keepUp', holds: (f) => f.warmMax < 0.1 },
        { name: 'leave', holds: (f) => f.lastTv > 0.25 },
        { name: 'slipOff', holds: (f) => f.lastShare < f.peak - 0.02 && f.lastSecond > f.secondAtPeak },
      ],
      // Grows to the last level, levels off within two points of its largest, or falls further.
      prediction: {
        kind: 'choice', answer: 'lastShare',
        choose: (f) => (f.lastShare >= f.peak ? 0 : f.lastShare >= f.peak - 0.02 ? 1 : 2),
      },
    },
    {
      id: 'time-to-solution',
      view: 'sweep',
      fields: {},
      // README's sweep, cooled on to 1e-8: far enough that the fastest line turns up again.
      sweep: {
        'sweep-t0': '1',
        'sweep-alpha': '0.8,0.9,0.95,0.97,0.99',
        'sweep-t-final': '0.1,0.01,0.001,0.0001,0.00001,0.000001,0.0000001,0.00000001',
      },
      figures: swept,
      kinds: {
        lines: 'whole', inside: 'whole', fastest: 'value', alpha: 'value', tFinal: 'value', tts: 'whole',
        perRun: 'whole', success: 'share',
      },
      claims: [
        { name: 'insideRange', holds: (f) => f.inside === f.lines },
        { name: 'fastestWins', holds: (f) => f.alpha === f.fastest },
      ],
      // The sweep's final temperatures, a power of ten apart: the slider moves by half a power.
      prediction: { kind: 'temperature', answer: 'tFinal', low: -8, high: -1, step: 0.5 },
    },
    {
      id: 'landscapes',
      view: 'landscapes',
      fields: {},
      figures: compareLandscapes,
      kinds: landscapeKinds,
      claims: [
        {
          name: 'smoothClimbs',
          holds: (f) => f.smoothLeastGlobal === 1 && f.smoothClimbTts < f.smoothDemoTts,
        },
        { name: 'needleEven', holds: (f) => f.needleMostTts < 1.5 * f.needleLeastTts },
        { name: 'deceptiveEscapes', holds: (f) => f.deceptiveClimbGlobal < 0.1 && f.deceptiveDemoGlobal > 0.9 },
        {
          name: 'ruggedBoth',
          holds: (f) => f.ruggedClimbGlobal < 0.2 && f.ruggedDemoGlobal > 0.9 && f.ruggedSlowGlobal > 0.9 &&
            f.ruggedClimbTts < f.ruggedDemoTts,
        },
      ],
      // On one landscape at most, on two or three, or on all four.
      prediction: {
        kind: 'choice', answer: 'climbWins', choose: (f) => (f.climbWins <= 1 ? 0 : f.climbWins <= 3 ? 1 : 2),
      },
    },
  ];

  // The closing step, after the last: what the steps showed, each point a claim about the
  // figures of the steps it `needs`, checked once they have all run. `figures` takes each step's
  // figures and the comparison's, both by step id.
  const closing = {
    id: 'take-home',
    claims: [
      {
        name: 'coolingMatters', needs: ['quench', 'demo-schedule'],
        figures: (f) => ({ demoGlobal: f['demo-schedule'].global, quenchSecond: f.quench.second }),
        kinds: { demoGlobal: 'share', quenchSecond: 'share' },
        holds: (v) => v.demoGlobal === 1 && v.quenchSecond > 0.2,
      },
      {
        name: 'peakNotTop', needs: ['hill-climbing', 'demo-schedule'],
        figures: (f) => ({ demoExact: f['demo-schedule'].exact, climbExact: f['hill-climbing'].exact }),
        kinds: { demoExact: 'share', climbExact: 'share' },
        holds: (v) => v.demoExact < v.climbExact,
      },
      {
        name: 'floorCosts', needs: ['slow-cooling', 'demo-floor'],
        figures: (f) => ({ continuousLast: f['slow-cooling'].lastShare, floorLast: f['demo-floor'].lastShare }),
        kinds: { continuousLast: 'share', floorLast: 'share' },
        holds: (v) => v.floorLast < v.continuousLast,
      },
      {
        name: 'restartsPay', needs: ['demo-schedule', 'time-to-solution'],
        figures: (f, c) => ({ sweepTts: f['time-to-solution'].tts, demoTts: c['demo-schedule'].tts }),
        kinds: { sweepTts: 'whole', demoTts: 'whole' },
        holds: (v) => v.sweepTts < v.demoTts / 10,
      },
    ],
  };

  // The comparison table as a CSV, language aside as sa_study's own: a row per step run, its
  // schedule as the libraries word it, the figures unrounded, an empty field where a view has none.
  const csvColumns = {
    exact: 'exact_optimum_share', global: 'global_peak_share', second: 'second_peak_share', tts: 'tts99_trials',
    lastGlobal: 'last_level_global_peak_share', lastSecond: 'last_level_second_peak_share',
  };
  const csvField = (text) => (/[",\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);

  // Older links number the first six steps as the lesson had them: 1 to 6.
  const numbered = ['random-walk', 'hill-climbing', 'quench', 'demo-schedule', 'slow-cooling', 'time-to-solution'];

  // The figures the comparison table sets side by side, each of one view: a study's shares of
  // runs and its TTS99, and the shares of a population's last level. A sweep's row is its least
  // TTS99's study.
  const compared = {
    run: () => ({}),
    study: (study) => {
      const { exact, global, second } = shares(study);
      return { exact, global, second, tts: study.tts99_trials };
    },
    population: (levels) => ({ lastGlobal: levels.at(-1).share_global_peak, lastSecond: levels.at(-1).share_second_peak }),
    sweep: (rows) => (rows.least === null ? {} : compared.study(rows[rows.least])),
    // Twelve studies have no one row: their own table holds them.
    landscapes: () => ({}),
  };
  const comparedKinds = { exact: 'share', global: 'share', second: 'share', tts: 'whole', lastGlobal: 'share', lastSecond: 'share' };

  // A prediction's slider: shares in whole percents, temperatures by powers of ten; what a
  // position guesses, and how a guess is written, rounded as the slider rounds it.
  const sliders = {
    share: () => ({ low: 0, high: 100, by: 1 }),
    temperature: (prediction) => ({ low: prediction.low, high: prediction.high, by: prediction.step }),
  };
  const guessOf = {
    share: (position) => position / 100,
    temperature: (position) => Number((10 ** position).toPrecision(2)),
  };
  const positionOf = {
    share: (guess) => Math.round(guess * 100),
    temperature: (guess) => Math.log10(guess),
  };

  const paramOfKey = Object.fromEntries(vocabulary.fields.map((field) => [field.key, field.param]));
  // Fields keyed by their names in window.sa's params; the sweep's 'sweep-' keys likewise.
  const asParams = (fields) => Object.fromEntries(Object.entries(fields)
    .map(([key, value]) => [paramOfKey[key.replace(/^sweep-/, '')], value]));

  // Each figure of `step` written in the page's language; placeholders `{name}` without figures.
  function written(step, figures) {
    const { format } = language;
    return Object.fromEntries(Object.entries(step.kinds).map(([name, kind]) =>
      [name, figures ? writers[kind](figures[name], format) : `{${name}}`]));
  }

  // The claims of `step` in the page's language, each with whether it holds when there are
  // figures.
  function claimsOf(step, figures) {
    const words = language.t('lesson')[step.id].claims;
    const values = written(step, figures);
    return step.claims.map((claim) => ({
      text: words[claim.name](values),
      ...(figures ? { holds: Boolean(claim.holds(figures)) } : {}),
    }));
  }

  // A guess of `step`'s prediction in the page's language.
  function guessWritten(step, guess) {
    const { t, format } = language;
    const { kind, answer } = step.prediction;
    if (kind === 'choice') {
      return t('quoted', t('lesson')[step.id].predict.choices[guess]);
    }
    return kind === 'share' ? format.percent(guess, 0) : writers[step.kinds[answer]](guess, format);
  }

  // What the experiment found, as the prediction asked for it: the figure the claims state, and
  // for a choice the choice that the figures make true.
  function answerWritten(step, figures) {
    const { t } = language;
    const { kind, answer, choose } = step.prediction;
    const values = written(step, figures);
    if (kind !== 'choice') {
      return values[answer];
    }
    const words = t('lesson')[step.id].predict;
    return t('choiceFound', t('quoted', words.choices[choose(figures)]), words.found(values));
  }

  class LessonView {
    constructor({ steps: list, card, title, question, look, runButton, previous, next, status, claims: claimList, onStep,
      runStep, onAnswer, prediction, comparison, scheduleOf, onRecord, closing: closingParts, download }) {
      Object.assign(this, { list, card, title, question, look, runButton, previous, next, status, claimList, onStep,
        runStep, onAnswer, prediction, comparison, scheduleOf, onRecord, closingParts, download });
      closingParts.previous.addEventListener('click', () => this.choose(steps.length - 1, closingParts.previous));
      closingParts.csv.addEventListener('click', () => download('lesson.csv', new Blob([this.comparisonCsv()], { type: 'text/csv' })));
      // Each step's last finished experiment: its view's result, and its schedule in words.
      this.records = new Map();
      this.step = 0;
      this.figures = null;  // the figures of the step's last experiment
      this.state = 'idle';  // or 'running', 'unfinished'
      this.guesses = steps.map(() => null);  // each step's guess, null for none
      this.guessed = null;  // the guess the last experiment was run with
      runButton.addEventListener('click', () => this.run());
      previous.addEventListener('click', () => this.choose(this.step - 1, previous));
      next.addEventListener('click', () => this.choose(this.step + 1, next));
      prediction.clear.addEventListener('click', () => {
        this.guesses[this.step] = null;
        this.showPrediction();
        prediction.fieldset.querySelector('input').focus();
      });
      language.onChange(() => {
        this.show();
        this.showPrediction();
      });
      this.show();
      this.showPrediction();
    }

    get count() {
      return steps.length;
    }

    get id() {
      return this.closing ? closing.id : steps[this.step].id;
    }

    // Whether the closing step is on show.
    get closing() {
      return this.step === steps.length;
    }

    // The view that answers the step on show; none for the closing step.
    get view() {
      return this.closing ? null : steps[this.step].view;
    }

    get hasRun() {
      return this.figures !== null;
    }

    // The step of a link's `step`: an id, or a number of the older links; null for neither.
    static stepOf(text) {
      if (text === closing.id) {
        return steps.length;
      }
      const byId = steps.findIndex((step) => step.id === text);
      if (byId >= 0) {
        return byId;
      }
      const number = /^[0-9]+$/.test(text) ? Number(text) : 0;
      return number >= 1 && number <= numbered.length ? steps.findIndex((step) => step.id === numbered[number - 1]) : null;
    }

    static get ids() {
      return steps.map((step) => step.id);
    }

    static get numbered() {
      return numbered.length;
    }

    // Shows step `step` (from 0); `from`, the button pressed, keeps the focus if it can.
    choose(step, from = null) {
      this.step = Math.min(Math.max(0, step), steps.length);
      this.figures = null;
      this.state = 'idle';
      this.show();
      this.showPrediction();
      if (from && (from.disabled || from.closest('[hidden]'))) {
        (this.closing ? this.closingParts.previous : this.runButton).focus();
      }
      this.onStep(this.step);
    }

    show() {
      const { t } = language;
      const words = t('lesson');
      this.list.replaceChildren(...[...steps, closing].map((step, i) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = t('stepButton', i + 1, words[step.id].title);
        if (i === this.step) {
          button.setAttribute('aria-current', 'step');
        }
        button.addEventListener('click', () => {
          this.choose(i);
          this.list.querySelectorAll('button')[i].focus();
        });
        item.append(button);
        return item;
      }));
      this.card.hidden = this.closing;
      this.closingParts.card.hidden = !this.closing;
      this.showComparison();
      if (this.closing) {
        this.showClosing();
        return;
      }
      const step = steps[this.step];
      this.card.setAttribute('aria-label', t('lessonStepLabel', this.step + 1, steps.length + 1));
      this.title.textContent = t('stepButton', this.step + 1, words[step.id].title);
      this.question.textContent = words[step.id].question;
      this.look.innerHTML = words[step.id].look;
      this.runButton.textContent = t('runExperiment');
      this.runButton.disabled = this.state === 'running';
      this.previous.disabled = this.step === 0;
      this.prediction.fieldset.disabled = this.state === 'running';
      this.showClaims();
      this.showReveal();
    }

    // The figures of the steps run so far, by step id: their own, and the comparison's.
    figuresById() {
      const own = {};
      const side = {};
      for (const [index, record] of this.records) {
        own[steps[index].id] = record.figures;
        side[steps[index].id] = compared[steps[index].view](record.result);
      }
      return { own, side };
    }

    // The closing claims: each with its figures and whether it holds once its steps have run,
    // else the steps it waits for.
    closingClaims() {
      const { t, format } = language;
      const words = t('lesson')[closing.id].claims;
      const { own, side } = this.figuresById();
      return closing.claims.map((claim) => {
        const missing = claim.needs.filter((id) => !(id in own));
        if (missing.length > 0) {
          const titles = missing.map((id) => t('stepButton', steps.findIndex((step) => step.id === id) + 1, t('lesson')[id].title));
          return { name: claim.name, text: t('closingPending', titles.join('; ')), waits: missing };
        }
        const figures = claim.figures(own, side);
        const values = Object.fromEntries(Object.entries(claim.kinds).map(([name, kind]) => [name, writers[kind](figures[name], format)]));
        return { name: claim.name, text: words[claim.name](values), holds: Boolean(claim.holds(figures)), figures };
      });
    }

    showClosing() {
      const { t } = language;
      const words = t('lesson')[closing.id];
      const parts = this.closingParts;
      parts.card.setAttribute('aria-label', t('lessonStepLabel', steps.length + 1, steps.length + 1));
      parts.title.textContent = t('stepButton', steps.length + 1, words.title);
      parts.intro.textContent = words.intro;
      const claims = this.closingClaims();
      const checked = claims.filter((claim) => 'holds' in claim);
      parts.status.textContent = checked.length === 0 ? t('closingNone')
        : t('closingStatus', checked.filter((claim) => claim.holds).length, checked.length, claims.length - checked.length);
      parts.claims.replaceChildren(...claims.map((claim) => {
        const item = document.createElement('li');
        item.className = 'waits' in claim ? 'waits' : claim.holds ? 'holds' : 'fails';
        const mark = document.createElement('span');
        mark.className = 'mark';
        mark.setAttribute('aria-hidden', 'true');
        mark.textContent = 'waits' in claim ? '…' : claim.holds ? '✓' : '✗';
        const verdict = document.createElement('span');
        verdict.className = 'verdict';
        verdict.textContent = 'waits' in claim ? t('claimWaits') : t(claim.holds ? 'claimHolds' : 'claimFails');
        item.append(mark, verdict, ` ${claim.text}`);
        return item;
      }));
      parts.csv.disabled = this.records.size === 0;
    }

    // The comparison table as a CSV.
    comparisonCsv() {
      const lines = [['step', 'schedule', ...Object.values(csvColumns)].join(',')];
      for (const [index, record] of [...this.records.entries()].sort(([a], [b]) => a - b)) {
        const figures = compared[steps[index].view](record.result);
        lines.push([steps[index].id, csvField(record.englishSchedule),
          ...Object.keys(csvColumns).map((name) => (figures[name] == null ? '' : String(figures[name])))].join(','));
      }
      return `${lines.join('\n')}\n`;
    }

    // The steps run so far, in the lesson's order, as the comparison table lists them: the figures
    // each view has, null where it has none.
    comparisonRows() {
      const { t } = language;
      const words = t('lesson');
      return [...this.records.entries()].sort(([a], [b]) => a - b).map(([index, record]) => {
        const figures = compared[steps[index].view](record.result);
        return {
          step: index,
          title: t('stepButton', index + 1, words[steps[index].id].title),
          schedule: record.schedule(),
          figures: Object.fromEntries(Object.keys(comparedKinds).map((name) => [name, figures[name] ?? null])),
        };
      });
    }

    // The comparison table: each step run so far, the current step's row marked as such.
    showComparison() {
      const { t, format } = language;
      const { table, wrap } = this.comparison;
      const rows = this.comparisonRows();
      wrap.hidden = rows.length === 0;
      const head = document.createElement('tr');
      for (const name of ['step', 'schedule', ...Object.keys(comparedKinds)]) {
        const cell = document.createElement('th');
        cell.scope = 'col';
        cell.textContent = t('compareColumns')[name];
        head.append(cell);
      }
      table.tHead.replaceChildren(head);
      table.tBodies[0].replaceChildren(...rows.map((row) => {
        const line = document.createElement('tr');
        const current = row.step === this.step;
        line.className = current ? 'current' : 'earlier';
        const step = document.createElement('th');
        step.scope = 'row';
        step.textContent = current ? t('compareCurrent', row.title) : row.title;
        line.append(step);
        line.insertCell().textContent = row.schedule;
        for (const [name, kind] of Object.entries(comparedKinds)) {
          const value = row.figures[name];
          line.insertCell().textContent = value === null ? '–' : writers[kind](value, format);
        }
        return line;
      }));
    }

    // The step's prediction: its question as the legend, and its choices or its slider, with the
    // guess made so far.
    showPrediction() {
      if (this.closing) {
        return;
      }
      const { t } = language;
      const step = steps[this.step];
      const { kind } = step.prediction;
      const words = t('lesson')[step.id].predict;
      const guess = this.guesses[this.step];
      const { legend, inputs } = this.prediction;
      legend.textContent = words.question;
      inputs.classList.toggle('choices', kind === 'choice');
      if (kind === 'choice') {
        inputs.replaceChildren(...words.choices.map((choice, i) => {
          const label = document.createElement('label');
          const radio = document.createElement('input');
          radio.type = 'radio';
          radio.name = 'lesson-guess';
          radio.value = String(i);
          radio.checked = guess === i;
          radio.addEventListener('change', () => {
            this.guesses[this.step] = i;
            this.showGuess();
          });
          label.append(radio, ` ${choice}`);
          return label;
        }));
      } else {
        const { low, high, by } = sliders[kind](step.prediction);
        const label = document.createElement('label');
        label.htmlFor = 'lesson-guess';
        label.textContent = t('yourGuess');
        const slider = document.createElement('input');
        Object.assign(slider, { type: 'range', id: 'lesson-guess', name: 'lesson-guess', min: low, max: high, step: by });
        slider.value = String(guess === null ? (low + high) / 2 : positionOf[kind](guess));
        slider.setAttribute('aria-describedby', 'lesson-guess-value');
        const output = document.createElement('output');
        output.id = 'lesson-guess-value';
        output.htmlFor = 'lesson-guess';
        slider.addEventListener('input', () => {
          this.guesses[this.step] = guessOf[kind](Number(slider.value));
          this.showGuess();
        });
        inputs.replaceChildren(label, slider, output);
      }
      this.showGuess();
    }

    // The guess so far, beside the slider and in its spoken value; clearing it is offered once there is one.
    showGuess() {
      const { t } = language;
      const step = steps[this.step];
      const guess = this.guesses[this.step];
      const output = this.prediction.inputs.querySelector('output');
      if (output) {
        const slider = this.prediction.inputs.querySelector('input');
        output.textContent = guess === null ? t('noGuess') : guessWritten(step, guess);
        slider.setAttribute('aria-valuetext', guess === null ? t('noGuess') : guessWritten(step, guess));
      }
      this.prediction.clear.textContent = t('clearGuess');
      this.prediction.clear.disabled = guess === null;
    }

    // Once the experiment has run: the guess it was run with set against what it found, in the
    // place of the question's choices, so that question and answer are read together.
    showReveal() {
      const { t } = language;
      const step = steps[this.step];
      const { reveal, fieldset } = this.prediction;
      fieldset.hidden = this.figures !== null;
      if (!this.figures) {
        reveal.replaceChildren();
        reveal.hidden = true;
        return;
      }
      const found = document.createElement('span');
      found.className = 'found';
      found.textContent = answerWritten(step, this.figures);
      const guess = this.guessed;
      const [before, after] = (guess === null ? t('revealSkipped', '\0') : t('revealGuess', guessWritten(step, guess), '\0'))
        .split('\0');
      reveal.replaceChildren(before, found, after);
      if (guess !== null && step.prediction.kind === 'choice') {
        reveal.append(` ${t(guess === step.prediction.choose(this.figures) ? 'guessRight' : 'guessWrong')}`);
      }
      reveal.hidden = false;
    }

    // The claims the experiment checked, each marked as holding or not, in words too.
    showClaims() {
      const { t } = language;
      const checked = this.figures ? claimsOf(steps[this.step], this.figures) : [];
      const held = checked.filter((claim) => claim.holds).length;
      this.status.textContent = {
        idle: this.figures ? t('claimsHold', held, checked.length) : '',
        running: t('lessonRunning'),
        unfinished: t('lessonUnfinished'),
      }[this.state];
      this.claimList.replaceChildren(...checked.map((claim) => {
        const item = document.createElement('li');
        item.className = claim.holds ? 'holds' : 'fails';
        const mark = document.createElement('span');
        mark.className = 'mark';
        mark.setAttribute('aria-hidden', 'true');
        mark.textContent = claim.holds ? '✓' : '✗';
        const verdict = document.createElement('span');
        verdict.className = 'verdict';
        verdict.textContent = t(claim.holds ? 'claimHolds' : 'claimFails');
        item.append(mark, verdict, ` ${claim.text}`);
        return item;
      }));
      this.claimList.hidden = checked.length === 0;
    }

    // Sets the step's preset, runs its view, and checks its claims: resolves to the figures, or
    // to null when the experiment did not finish.
    async run() {
      if (this.closing) {
        return null;
      }
      const index = this.step;
      const step = steps[index];
      this.figures = null;
      this.guessed = this.guesses[index];
      this.state = 'running';
      this.show();
      let figures = null;
      try {
        const result = await this.runStep(step.view, { ...common, ...step.fields }, step.sweep);
        figures = result ? step.figures(result) : null;
        if (figures) {
          this.records.set(index, { result, figures, ...this.scheduleOf(step.view, result) });
          this.onRecord(this.earlier(index));
        }
      } finally {
        if (this.step === index) {
          this.figures = figures;
          this.state = figures ? 'idle' : 'unfinished';
          this.show();
          this.onAnswer(step.view);
        }
      }
      return figures;
    }

    // The results of the steps run before, other than step `index`, with their step's title: what
    // the views keep on show, faint, beside the current results.
    earlier(index) {
      return [...this.records.entries()].filter(([step]) => step !== index).sort(([a], [b]) => a - b)
        .map(([step, record]) => ({
          view: steps[step].view, result: record.result, step,
          title: () => language.t('stepButton', step + 1, language.t('lesson')[steps[step].id].title),
        }));
    }

    // The claims of step `index` as they read with `figures`, and whether each holds.
    checkedClaims(index, figures) {
      return claimsOf(steps[index], figures);
    }

    // What sa.lesson.steps() gives: every step in the page's language, its preset as window.sa's
    // calls take it, and its claims with their figures as placeholders.
    describe() {
      const words = language.t('lesson');
      return steps.map((step) => ({
        id: step.id,
        title: words[step.id].title,
        question: words[step.id].question,
        preset: {
          view: step.view,
          fields: asParams({ ...common, ...step.fields }),
          ...(step.sweep ? { sweep: asParams(step.sweep) } : {}),
        },
        claims: claimsOf(step, null).map((claim) => claim.text),
        prediction: this.predictionOf(step),
      }));
    }

    // A step's prediction as sa.lesson.steps() gives it: its kind, question, and choices or range.
    predictionOf(step) {
      const words = language.t('lesson')[step.id].predict;
      const { kind } = step.prediction;
      if (kind === 'choice') {
        return { kind, question: words.question, choices: words.choices };
      }
      const { low, high, by } = sliders[kind](step.prediction);
      return { kind, question: words.question, low: guessOf[kind](low), high: guessOf[kind](high), steps: (high - low) / by };
    }
  }

  window.saPage.LessonView = LessonView;
})();
