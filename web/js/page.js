'use strict';

// The page's state is the schedule that checked out last: the run and the landscape follow it,
// and the study runs it. This file only wires the views together.
(function () {
  const byId = (id) => document.getElementById(id);
  const { Plot, ScheduleForm, RunView, StudyView, ConsoleView } = window.saPage;

  const runPlot = new Plot(byId('run-plot'));
  const studyPlot = new Plot(byId('study-plot'));

  // The landscape of the latest bits asked for; an older answer is dropped.
  let landscapeBits = null;
  async function showLandscape(bits) {
    if (bits === landscapeBits) {
      return;
    }
    landscapeBits = bits;
    const notice = `Tabulating f at ${(2 ** bits).toLocaleString('en')} grid points…`;
    runPlot.setNotice(notice);
    studyPlot.setNotice(notice);
    const landscape = await window.sa.landscape(bits);
    if (bits === landscapeBits) {
      runPlot.setLandscape(landscape);
      studyPlot.setLandscape(landscape);
    }
  }

  const runView = new RunView({
    plot: runPlot,
    controls: {
      play: byId('play'),
      trial: byId('step-trial'),
      level: byId('step-level'),
      end: byId('to-end'),
      restart: byId('restart'),
    },
    speed: byId('speed'),
    speedValue: byId('speed-value'),
    live: {
      level: byId('live-level'),
      temperature: byId('live-temperature'),
      trial: byId('live-trial'),
      move: byId('live-move'),
      delta: byId('live-delta'),
      probability: byId('live-probability'),
      draw: byId('live-draw'),
      verdict: byId('live-verdict'),
      value: byId('live-value'),
      best: byId('live-best'),
    },
    status: byId('run-status'),
    table: byId('levels'),
    details: byId('trace-details'),
    csv: byId('trace-csv'),
  });

  let form = null;
  const studyView = new StudyView({
    plot: studyPlot,
    form: byId('study-form'),
    start: byId('study-start'),
    cancel: byId('study-cancel'),
    progress: byId('study-progress'),
    status: byId('study-status'),
    error: byId('study-error'),
    results: {
      runs: byId('result-runs'),
      exact: byId('result-exact'),
      global: byId('result-global'),
      second: byId('result-second'),
      mean: byId('result-mean'),
      time: byId('result-time'),
    },
    caption: byId('study-caption'),
    csv: byId('study-csv'),
    fields: () => form.fields(),
    checked: () => form.checked,
  });

  let shownSchedule = null;
  form = new ScheduleForm({
    form: byId('schedule-form'),
    runsForm: byId('study-form'),
    demoButton: byId('demo-schedule'),
    cost: byId('schedule-cost'),
    error: byId('schedule-error'),
    runsError: byId('study-error'),
    onSchedule: (checked) => {
      studyView.setReady(true);
      const schedule = [checked.t0, checked.alpha, checked.tFinal, checked.trials, checked.bits, checked.seed].join();
      if (schedule !== shownSchedule) {
        shownSchedule = schedule;
        showLandscape(checked.bits);
        runView.load(checked);
      }
    },
    onInvalid: () => studyView.setReady(false),
  });

  const consoleView = new ConsoleView({
    secondForm: byId('console-second'),
    output: byId('console-output'),
    form: byId('console-form'),
    error: byId('console-error'),
  });

  window.sa.ready.then(
    () => {
      byId('loading').remove();
      form.check();
      consoleView.restart();
    },
    (failure) => {
      byId('loading').textContent = `The program could not be loaded: ${failure}`;
    });
})();
