'use strict';

// The page's state is the experiment in its fields and address: the run and the landscape
// follow the schedule that checked out last, and the study, the population and the sweep run
// it; results of other fields are cleared. This file wires the views together, restores an
// address, takes the run's keys, and adds sa.experiment to window.sa.
(function () {
  const byId = (id) => document.getElementById(id);
  const page = window.saPage;
  const { language, address } = page;
  const { t, format } = language;

  const plots = {
    landscape: new page.Plot(byId('landscape-plot')),
    run: new page.Plot(byId('run-plot')),
    study: new page.Plot(byId('study-plot'), { rightMargin: 56 }),
    population: new page.Plot(byId('population-plot')),
  };

  // ---- The landscape of the latest schedule checked, its function, interval and bits, with its
  // progress; an older one is stopped.

  const landscapeCancel = byId('landscape-cancel');
  let landscapeShown = null;  // the landscape asked for last, as its key
  let tabulation = null;
  landscapeCancel.addEventListener('click', () => tabulation && tabulation.abort());

  const landscapeStatus = byId('landscape-status');
  function noticeOnPlots(text) {
    for (const plot of Object.values(plots)) {
      plot.setNotice(text);
    }
    landscapeStatus.textContent = text;
  }

  // The landscape's fields of a schedule that checked out, as the libraries read them.
  const landscapeOf = (schedule) =>
    ({ landscape: schedule.landscape, xMin: schedule.xMin, xMax: schedule.xMax, bits: schedule.bits });

  async function showLandscape(schedule) {
    const params = landscapeOf(schedule);
    const key = JSON.stringify(params);
    if (key === landscapeShown) {
      return;
    }
    landscapeShown = key;
    const { bits } = params;
    if (tabulation) {
      tabulation.abort();
    }
    const controller = new AbortController();
    tabulation = controller;
    const points = format.whole(2 ** bits);
    noticeOnPlots(t('tabulating', points));
    const offer = setTimeout(() => {
      landscapeCancel.hidden = false;
    }, 300);
    try {
      const landscape = await window.sa.landscape(params, {
        signal: controller.signal,
        onProgress: (progress) => {
          const [done] = Object.keys(progress).filter((key) => key.endsWith('Done'));
          noticeOnPlots(t('tabulatingShare', points, format.percent(progress[done] / progress[done.slice(0, -4)], 0)));
        },
      });
      if (key === landscapeShown) {
        for (const plot of Object.values(plots)) {
          plot.setLandscape(landscape);
        }
        landscapeStatus.textContent = '';
      }
    } catch (failure) {
      if (failure.name !== 'AbortError' && !failure.fault) {
        throw failure;
      }
      if (key === landscapeShown) {
        landscapeShown = null;
        noticeOnPlots(failure.fault ? page.messages.describe(failure.fault, page.messages.tables[language.current])
          : t('tabulationStopped'));
      }
    } finally {
      clearTimeout(offer);
      if (tabulation === controller) {
        tabulation = null;
        landscapeCancel.hidden = true;
      }
    }
  }

  // ---- The views

  let form = null;
  const checked = () => form.checked;
  const fields = () => form.fields();
  const jobOf = (name) => ({
    start: byId(`${name}-start`), cancel: byId(`${name}-cancel`),
    progress: byId(`${name}-progress`), status: byId(`${name}-status`),
  });

  const runView = new page.RunView({
    plot: plots.run,
    charts: byId('run-charts'),
    controls: {
      play: byId('play'), trial: byId('step-trial'), level: byId('step-level'), end: byId('to-end'), restart: byId('restart'),
    },
    stop: byId('run-stop'),
    speed: byId('speed'),
    speedValue: byId('speed-value'),
    live: Object.fromEntries(['level', 'temperature', 'trial', 'move', 'delta', 'probability', 'draw', 'verdict', 'value',
      'best'].map((name) => [name, byId(`live-${name}`)])),
    digits: byId('digits'),
    status: byId('run-status'),
    stale: byId('run-stale'),
    table: byId('levels'),
    details: byId('trace-details'),
    csv: byId('trace-csv'),
    steer: Object.fromEntries(['hold', 'slider', 'value', 'note', 'error'].map((name) => [name, byId(`steer-${name}`)])),
    decision: { canvas: byId('run-decision'), caption: byId('decision-caption') },
  });

  const studyView = new page.StudyView({
    plot: plots.study,
    job: jobOf('study'),
    error: byId('study-error'),
    results: Object.fromEntries(['runs', 'exact', 'global', 'second', 'mean', 'time'].map((name) => [name, byId(`result-${name}`)])),
    caption: byId('study-caption'),
    earlierNote: byId('study-earlier'),
    csv: byId('study-csv'),
    fields,
    checked,
  });

  const populationView = new page.PopulationView({
    plot: plots.population,
    chart: byId('population-chart'),
    job: jobOf('population'),
    error: byId('population-error'),
    play: byId('population-play'),
    level: byId('population-level'),
    readout: Object.fromEntries(['at', 'global', 'second', 'distance'].map((name) => [name, byId(`population-${name}`)])),
    fields,
    checked,
  });

  const sweepView = new page.SweepView({
    form: byId('sweep-form'),
    chart: byId('sweep-chart'),
    job: jobOf('sweep'),
    error: byId('sweep-error'),
    least: byId('sweep-least'),
    table: byId('sweep-table'),
    // The experiment's fields, of which the sweep's own take the place of the schedule's.
    scheduleFields: () => form.fields(),
    onChange: () => writeAddress(),
    points: byId('sweep-points'),
    // A point's schedule into the fields, the seed and runs kept: the sweep stays, being of them.
    onLoad: async (row) => {
      for (const view of [studyView, populationView]) {
        view.setOutdated();
      }
      await form.setValues({
        t0: String(row.t0), alpha: String(row.alpha), 't-final': String(row.t_final), trials: String(row.trials_per_level),
        bits: String(row.bits), ...(row.acceptance === 'demo' ? {} : { acceptance: row.acceptance }),
      });
      writeAddress();
    },
  });
  const landscapesView = new page.LandscapesView({
    job: jobOf('landscapes'),
    error: byId('landscapes-error'),
    table: byId('landscapes-table'),
    plots: Object.fromEntries(['smooth', 'needle', 'deceptive', 'rugged'].map((name) => [name, byId(`landscapes-${name}`)])),
    checked,
  });
  const jobViews = [studyView, populationView, sweepView, landscapesView];

  let lesson = null;
  let restoring = true;  // the link's values are not in the fields yet
  function writeAddress() {
    if (!restoring) {
      address.write({
        values: { ...form.values(), ...sweepView.values() }, lang: language.current, step: lesson.id, present: presenting(),
      });
    }
  }

  let shownSchedule = null;
  let runLoaded = Promise.resolve();
  form = new page.ScheduleForm({
    form: byId('schedule-form'),
    demoButton: byId('demo-schedule'),
    cost: byId('schedule-cost'),
    errors: { schedule: byId('schedule-error'), runs: byId('runs-error') },
    landscapeNames: byId('landscape-names'),
    presetPoint: byId('landscape-point'),
    onSchedule: (schedule, studyReady) => {
      for (const view of jobViews) {
        view.setReady(studyReady);
      }
      if (schedule.plan !== shownSchedule || runView.isStale) {
        shownSchedule = schedule.plan;
        showLandscape(schedule);
        runLoaded = runView.load(schedule);
      }
    },
    onInvalid: () => {
      runView.setStale(true);
      for (const view of jobViews) {
        view.setReady(false);
      }
    },
    onChange: () => writeAddress(),
  });
  byId('schedule-form').addEventListener('input', () => {
    for (const view of jobViews) {
      view.setOutdated();
    }
  });

  // ---- A landscape drawn on its plot, into the landscape's field

  new page.DrawView({
    plot: plots.landscape,
    figure: byId('landscape-plot').closest('figure'),
    toggle: byId('draw-toggle'),
    hint: byId('draw-hint'),
    tools: byId('draw-tools'),
    add: byId('draw-add'),
    list: byId('draw-points'),
    input: byId('schedule-form').elements.landscape,
  });

  const consoleView = new page.ConsoleView({
    secondForm: byId('console-second'),
    output: byId('console-output'),
    form: byId('console-form'),
    error: byId('console-error'),
  });

  // ---- The lesson: each step's experiment, run by the view that answers it

  // Where a step's answer is read. With the lesson in its own column, the view that answers it
  // comes into view beside the lesson, whose answer is brought into its column's view; in one
  // column the answer stays in view once the step has run, the view a link away.
  const lessonSection = byId('lesson');
  const lessonBeside = () => getComputedStyle(lessonSection).position === 'sticky';
  const viewLink = byId('lesson-view-link');
  // Scrolls `scroller`, seen through `frame` (its top and bottom on the screen), so that `start`
  // comes to the frame's top, or lower as far as `end` needs to be seen, but never so far that
  // `limit` leaves the frame.
  function scrollToShow(scroller, frame, { start, end, limit }) {
    scroller.scrollTop += Math.min(Math.max(start - frame.top, end - frame.bottom + 8), limit - frame.top - 8);
  }
  const screen = () => ({ top: 0, bottom: window.innerHeight });

  function showView(view) {
    if (lessonBeside()) {
      // Its title at the top, or lower as far as what it shows of the answer needs; its main
      // figure alone where all of that does not fit.
      const section = byId(view).getBoundingClientRect();
      const boxes = [...byId(view).querySelectorAll('[data-answer]')].map((shown) => shown.getBoundingClientRect());
      const span = (from) => ({ top: Math.min(...from.map((box) => box.top)), bottom: Math.max(...from.map((box) => box.bottom)) });
      const all = span(boxes);
      const shown = all.bottom - all.top <= window.innerHeight - 16 ? all : span(boxes.slice(0, 1));
      scrollToShow(document.scrollingElement, screen(), { start: section.top, end: shown.bottom, limit: shown.top });
    }
  }
  function showAnswer(view) {
    showView(view);
    viewLink.href = `#${view}`;
    viewLink.dataset.view = view;
    viewLink.textContent = t('lessonSeeView', t(`${view}Title`));
    viewLink.hidden = lessonBeside();
    // The card's top at the top of what scrolls, or lower as far as the answer needs and the
    // question allows.
    const scroller = lessonBeside() ? lessonSection : document.scrollingElement;
    const frame = lessonBeside() ? lessonSection.getBoundingClientRect() : screen();
    const rect = (id) => byId(id).getBoundingClientRect();
    const answerEnd = Math.max(...['lesson-result', 'lesson-claims', 'lesson-view-link']
      .filter((id) => !byId(id).hidden).map((id) => rect(id).bottom));
    scrollToShow(scroller, frame, { start: rect('lesson-card').top, end: answerEnd, limit: rect('lesson-question').top });
  }
  language.onChange(() => {
    if (viewLink.dataset.view) {
      viewLink.textContent = t('lessonSeeView', t(`${viewLink.dataset.view}Title`));
    }
  });

  // What each view resolves to once it has run the fields, or null when it did not finish: the
  // lesson takes its figures from there.
  const outcomes = {
    async run() {
      // From its start, even if the preset's run was on show already.
      await runLoaded;
      runLoaded = runView.load(form.schedule);
      await runLoaded;
      return runView.playThrough(4);
    },
    study: () => studyView.run(),
    population: () => populationView.run({ atEnd: true }),
    sweep: () => sweepView.run(),
    landscapes: () => landscapesView.run(),
  };

  // A file for the visitor to keep, as the browser downloads it.
  function download(name, blob) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // The lesson's charts as PNG, as they stand on the page.
  for (const [name, canvas] of [['study', byId('study-plot')], ['population', byId('population-plot')],
    ['sweep', byId('sweep-chart')]]) {
    byId(`lesson-export-${name}`).addEventListener('click', () =>
      canvas.toBlob((blob) => download(`lesson-${name}.png`, blob), 'image/png'));
  }

  lesson = new page.LessonView({
    steps: byId('lesson-steps'),
    card: byId('lesson-card'),
    title: byId('lesson-step-title'),
    question: byId('lesson-question'),
    look: byId('lesson-look'),
    runButton: byId('lesson-run'),
    previous: byId('lesson-previous'),
    next: byId('lesson-next'),
    status: byId('lesson-result'),
    claims: byId('lesson-claims'),
    prediction: {
      fieldset: byId('lesson-predict'), legend: byId('lesson-predict-legend'), inputs: byId('lesson-predict-inputs'),
      clear: byId('lesson-predict-clear'), reveal: byId('lesson-reveal'),
    },
    comparison: { table: byId('lesson-compare'), wrap: byId('lesson-compare-wrap') },
    // A step's schedule in words, in the page's language and as the libraries word it: the
    // fields it ran, or for a sweep its least TTS99's.
    scheduleOf: (view, result) => {
      if (view === 'landscapes') {
        return { schedule: () => t('landscapesSchedule'), englishSchedule: page.texts.en.landscapesSchedule };
      }
      if (view === 'sweep') {
        const least = result.least === null ? null : result[result.least];
        return {
          schedule: () => (least ? sweepView.describeRow(least) : '–'),
          // Its numbers as the libraries write them, an exponent in two digits (1e-07).
          englishSchedule: least ? page.texts.en.caseText(...[least.t0, least.alpha, least.t_final]
            .map((n) => String(n).replace(/e([+-])(\d)$/, 'e$10$2')),
          page.texts.en.trials(least.trials_per_level, least.trials_per_level), least.bits) : '',
        };
      }
      const { description } = form.checked;
      return {
        schedule: () => format.powersOfTen(page.messages.inWords(description, language.current)),
        englishSchedule: description,
      };
    },
    closing: {
      card: byId('lesson-closing'), title: byId('lesson-closing-title'), intro: byId('lesson-closing-intro'),
      status: byId('lesson-closing-result'), claims: byId('lesson-closing-claims'), previous: byId('lesson-closing-previous'),
      csv: byId('lesson-export-csv'),
    },
    download,
    onRecord: (earlier) => studyView.setEarlier(earlier.filter((record) => record.view === 'study')),
    onStep: () => {
      showPresentedView();
      writeAddress();
    },
    runStep: async (view, values, sweepValues) => {
      if (sweepValues) {
        sweepView.setValues(sweepValues);
      }
      for (const view of jobViews) {
        view.setOutdated();
      }
      // The lesson's claims are about the demo's landscape.
      await form.setValues(values, { landscape: true });
      writeAddress();
      viewLink.hidden = true;
      showView(view);
      return form.checked ? outcomes[view]() : null;
    },
    onAnswer: (view) => showAnswer(view),
  });

  // ---- Presenter mode: large type, the lesson one step at a time beside the view that answers
  // it, the rest of the page hidden. A clicker's Page Down runs the step, then goes on to the
  // next; its Page Up goes back a step; Escape leaves.

  const presentButton = byId('present');
  const presenting = () => document.body.classList.contains('presenting');
  function showPresentedView() {
    for (const section of document.querySelectorAll('main > section')) {
      section.classList.toggle('presented', section.id === lesson.view);
    }
  }
  function present(on) {
    document.body.classList.toggle('presenting', on);
    presentButton.setAttribute('aria-pressed', String(on));
    showPresentedView();
    writeAddress();
  }
  presentButton.addEventListener('click', () => present(!presenting()));

  function presenterKey(key) {
    if (key === 'PageDown') {
      if (lesson.hasRun || lesson.state === 'running') {
        lesson.choose(lesson.step + 1);
      } else if (!lesson.closing) {
        lesson.run();
      }
    } else if (key === 'PageUp') {
      lesson.choose(lesson.step - 1);
    } else if (key === 'Escape') {
      present(false);
      presentButton.focus();
    } else {
      return false;
    }
    return true;
  }

  // ---- Keys for the run, while the focus is in it (a click on the run gives it the focus) but
  // in a field or a scrolled region: elsewhere Space, Page Down, Home and End scroll the page,
  // as a presenter's clicker expects, and in presenter mode Page Down and Page Up step the lesson.

  document.addEventListener('keydown', (event) => {
    const target = event.target;
    const inRun = target.closest('#run');
    const typing = target.closest('input, textarea, select, [contenteditable], [role=region], [role=log]');
    const pressing = event.key === ' ' && target.closest('button, summary, a');
    if (typing || pressing || event.ctrlKey || event.altKey || event.metaKey) {
      return;
    }
    const taken = inRun ? runView.handleKey(event.key) : presenting() && presenterKey(event.key);
    if (taken) {
      event.preventDefault();
    }
  });

  // ---- The link of the experiment, copied for a class or a report; where the browser will not
  // copy it, it is shown to be copied by hand.

  byId('copy-link').addEventListener('click', async () => {
    const status = byId('copy-status');
    const link = window.location.href;
    try {
      await navigator.clipboard.writeText(link);
      status.textContent = t('linkCopied');
    } catch {
      status.textContent = t('linkNotCopied', link);
    }
  });

  // ---- Languages

  const allFields = () => [...byId('schedule-form').elements, ...byId('sweep-form').elements]
    .filter((element) => element.tagName === 'INPUT');
  for (const button of document.querySelectorAll('[data-lang]')) {
    button.addEventListener('click', () => {
      language.set(button.dataset.lang, allFields());
      form.check();
      writeAddress();
    });
  }

  // ---- sa.experiment: the fields as the libraries read them, once checked

  window.sa.experiment = async (options) => {
    const { signal } = page.core.options(options, ['signal']);
    const whole = await page.core.abortable(form.whenWholeChecked(), signal);
    if (whole.fault) {
      throw page.core.refused(whole.fault);
    }
    const pageFields = page.vocabulary.fields.filter((field) => field.page);
    const values = Object.fromEntries(pageFields.map((field) => [field.param, whole[field.param]]));
    return { ...values, lang: language.current };
  };

  // ---- sa.lesson: the lesson's steps, and a step's experiment run with its claims checked

  window.sa.lesson = {
    async steps() {
      return lesson.describe();
    },
    async run(step) {
      page.core.whole('step', step, { low: 0, high: lesson.count - 1 });
      await restored;
      lesson.choose(step);
      const figures = await lesson.run();
      if (figures === null) {
        throw new Error(`step ${step}'s experiment did not finish: its fields were refused, another experiment ` +
          'was running, or it was cancelled');
      }
      return { figures, claims: lesson.checkedClaims(step, figures) };
    },
  };

  // ---- The start: the address restored, or the browser's language

  const link = address.read({ sweepKeys: sweepView.keys(), languages: language.languages, stepOf: page.LessonView.stepOf });

  // What the link lost, and why, at the top of the page.
  const linkNotes = byId('link-notes');
  function showLinkNotes() {
    const { messages } = page;
    const table = messages.tables[language.current];
    const listed = (words) => words.join(', ');
    const pair = (note) => `${note.key}=${note.value}`;
    const words = {
      unknownKey: (note) => t('linkUnknownKey', pair(note), listed(link.keys)),
      repeatedKey: (note) => t('linkRepeatedKey', pair(note)),
      lang: (note) => t('linkLanguage', pair(note), listed(language.languages)),
      step: (note) => t('linkStep', pair(note), listed(page.LessonView.ids), page.LessonView.numbered),
      present: (note) => t('linkPresent', pair(note)),
      value: (note) => t('linkValue', pair(note), messages.describe(note.fault, table, note.key)),
      decimalComma: (note) => t('linkDecimalComma', pair(note)),
      sweep: (note) => t('linkSweep', messages.describe(note.fault, table)),
    };
    byId('link-notes-list').replaceChildren(...link.notes.map((note) => {
      const item = document.createElement('li');
      item.textContent = words[note.kind](note);
      return item;
    }));
    linkNotes.hidden = link.notes.length === 0;
  }
  language.onChange(showLinkNotes);

  language.set(link.lang ?? language.browserLanguage());
  if (link.step !== null) {
    lesson.choose(link.step);
  }
  present(link.present);

  // The link's values that their fields take, in the fields; its sweep checked as a whole.
  async function restoreLink() {
    const values = await address.checkValues(link);
    const sweepKeys = sweepView.keys();
    const sweepValues = Object.fromEntries([...values].filter(([key]) => sweepKeys.includes(key)));
    sweepView.setValues(sweepValues);
    for (const [key, value] of values) {
      const input = byId('schedule-form').elements[key];
      if (input instanceof HTMLInputElement || input instanceof HTMLSelectElement) {
        language.setInputFromEnglish(input, value);
      }
    }
    restoring = false;
    form.showPresetPoint();
    form.check();
    if (Object.keys(sweepValues).length > 0) {
      const fault = await page.core.checkSweep(sweepView.params(), language.numberStyle());
      if (fault) {
        sweepView.refuse(fault);
        link.notes.push({ kind: 'sweep', fault });
      }
    }
    showLinkNotes();
    linkNotes.setAttribute('aria-busy', 'false');
  }

  const restored = window.sa.ready.then(
    () => {
      byId('loading').remove();
      consoleView.restart();
      return restoreLink();
    },
    (failure) => {
      byId('loading').textContent = t('loadFailed', failure);
    });
})();
