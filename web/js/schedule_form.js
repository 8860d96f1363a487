'use strict';

// The experiment's fields, checked as the user types by the rules of sa_study's command line
// (in a worker, through sa.check). The schedule and the count of runs are checked apart, so
// that a fault in one never hides a fault in the other: the run needs only the schedule, a
// study both. What is wrong shows beside the fields, tied to the field it lies in; a schedule
// that checks out shows its cost and goes to `onSchedule`. The checks of fields that have
// changed since are stopped.
(function () {
  const { language, vocabulary } = window.saPage;
  const { describe, tables } = window.saPage.messages;
  // The page's fields. Each input is named by the field's key in the page's address, sa_study's
  // option without dashes, and the calls take it by its name in the interface.
  const pageFields = vocabulary.fields.filter((field) => field.page);
  const paramOf = Object.fromEntries(pageFields.map((field) => [field.key, field.param]));
  const keysOf = (test) => pageFields.filter(test).map((field) => field.key);
  // A run needs its seed and schedule; a study of many runs the rest too.
  const runNames = keysOf((field) => field.part !== 'study');
  const studyNames = keysOf((field) => field.part === 'study');
  const scheduleNames = keysOf((field) => field.part === 'schedule');
  const landscapeNames = keysOf((field) => field.part === 'landscape');
  const pause = 150;  // milliseconds of quiet typing before a check

  class ScheduleForm {
    constructor({ form, demoButton, cost, errors, landscapeNames, presetPoint, onSchedule, onInvalid, onChange }) {
      this.inputs = {};
      for (const name of Object.keys(paramOf)) {
        this.inputs[name] = form.elements[name];
      }
      this.form = form;
      this.cost = cost;
      this.errors = errors;  // {schedule, runs}: where each check's fault is told
      this.onSchedule = onSchedule;
      this.onInvalid = onInvalid;
      this.onChange = onChange;
      this.asked = 0;
      this.timer = null;
      this.checked = null;  // the whole experiment, when the schedule and the runs check out
      this.schedule = null;  // the schedule, when it checks out
      this.faults = { schedule: null, runs: null };  // the run's fault, and the study's
      this.waiting = [];  // who waits for the fields to be checked
      this.whole = null;  // the latest answer for the whole experiment, and the fields it is for
      this.waitingWhole = [];  // who waits for that answer
      this.checking = null;  // what stops the checks under way
      this.setBusy(false);
      this.inputs.seed.value = String(Math.floor(Date.now() / 1000));
      for (const input of Object.values(this.inputs)) {
        input.addEventListener('input', () => this.checkSoon());
      }
      form.addEventListener('submit', (event) => event.preventDefault());
      demoButton.addEventListener('click', () => {
        for (const name of scheduleNames) {
          this.inputs[name].value = '';
        }
        this.check();
      });
      // The landscapes a name calls up, offered as the field is typed, and what a preset shows.
      landscapeNames.replaceChildren(...vocabulary.formulas.landscapes.map((name) => new Option(name, name)));
      this.presetPoint = presetPoint;
      this.inputs.landscape.addEventListener('input', () => this.showPresetPoint());
      language.onChange(() => {
        this.showFaults();
        this.showPresetPoint();
      });
    }

    showPresetPoint() {
      const points = language.t('presetPoint');
      const name = this.inputs.landscape.value.trim();
      this.presetPoint.textContent = Object.hasOwn(points, name) ? points[name] : '';
    }

    // The fields as sa.check and the other calls take them, as typed.
    fields(names = Object.keys(paramOf)) {
      return Object.fromEntries(names.map((name) => [paramOf[name], this.inputs[name].value]));
    }

    // The fields as the page's address holds them: English style, empty ones left out.
    values() {
      const values = {};
      for (const [name, input] of Object.entries(this.inputs)) {
        if (input.value.trim() !== '') {
          values[name] = language.inputToEnglish(input);
        }
      }
      return values;
    }

    // Fills the fields from `values` (English style, keyed as values() keys them); a field of
    // the schedule left out is emptied, for the demo's value, and so is one of the landscape
    // when `landscape` says so; the seed and runs are kept.
    setValues(values, { landscape = false } = {}) {
      const emptied = landscape ? [...scheduleNames, ...landscapeNames] : scheduleNames;
      for (const [name, input] of Object.entries(this.inputs)) {
        if (values[name] !== undefined) {
          language.setInputFromEnglish(input, String(values[name]));
        } else if (emptied.includes(name)) {
          input.value = '';
        }
      }
      this.showPresetPoint();
      return this.check();
    }


    // Busy from the first keystroke until the answer for the latest fields is shown.
    setBusy(busy) {
      this.busy = busy;
      this.form.setAttribute('aria-busy', String(busy));
      if (!busy) {
        for (const resolve of this.waiting.splice(0)) {
          resolve();
        }
      }
    }

    checkSoon() {
      ++this.asked;  // an answer still coming is for fields that are no more
      this.stopChecks();
      this.setBusy(true);
      this.onChange();
      clearTimeout(this.timer);
      this.timer = setTimeout(() => this.check(), pause);
    }

    // Checks the fields now; resolves once the fields as they stand have been checked.
    check() {
      clearTimeout(this.timer);
      this.timer = null;
      this.checkNow();
      return this.whenSettled();
    }

    // Resolves once the fields as they stand have been checked and the answer shown.
    whenSettled() {
      return this.busy ? new Promise((resolve) => this.waiting.push(resolve)) : Promise.resolve();
    }

    // Resolves to the answer for the whole experiment in the fields as they stand, which comes
    // before the schedule's own: a schedule of 10^9 levels takes seconds to count.
    whenWholeChecked() {
      return this.whole && this.whole.asked === this.asked ? Promise.resolve(this.whole.answer)
        : new Promise((resolve) => this.waitingWhole.push(resolve));
    }

    // The checks of fields that have changed since are of no use: their workers are freed.
    stopChecks() {
      this.checking?.abort();
      this.checking = null;
    }

    // The checks of the fields as they stand: the whole first, then the schedule as the one run
    // it makes and the runs apart. Each answer's promise; those cut short reject with an
    // AbortError, which whoever awaits them takes.
    askChecks() {
      this.stopChecks();
      this.checking = new AbortController();
      const options = { numberStyle: language.numberStyle(), signal: this.checking.signal };
      const answers = [this.fields(), { ...this.fields(runNames), runs: '1' }, this.fields(studyNames)]
        .map((fields) => window.sa.check(fields, options));
      for (const answer of answers) {
        answer.catch(() => {});  // awaited below, or of no use once one is cut short
      }
      return answers;
    }

    // The whole experiment's answer, to those who wait for it.
    tellWhole(asked, answer) {
      this.whole = { asked, answer };
      for (const resolve of this.waitingWhole.splice(0)) {
        resolve(answer);
      }
    }

    async checkNow() {
      this.setBusy(true);
      const asked = ++this.asked;
      this.cost.textContent = language.t('checking');
      const answers = this.askChecks();
      let whole;
      let schedule;
      let runs;
      try {
        whole = await answers[0];
        if (asked === this.asked) {
          this.tellWhole(asked, whole);
        }
        [schedule, runs] = await Promise.all(answers.slice(1));
      } catch (failure) {
        if (failure.name === 'AbortError') {
          return;  // the fields changed meanwhile
        }
        throw failure;
      }
      if (asked !== this.asked) {
        return;  // the user typed on meanwhile
      }
      this.checking = null;
      // A fault of the whole alone is one of the runs of that schedule together.
      this.faults = { schedule: schedule.fault, runs: runs.fault ?? (schedule.fault ? null : whole.fault) };
      this.schedule = schedule.fault ? null : schedule;
      this.checked = whole.fault ? null : whole;
      this.showFaults();
      this.onChange();
      if (schedule.fault) {
        this.onInvalid();
      } else {
        this.onSchedule(schedule, this.checked !== null);
      }
      this.setBusy(false);
    }

    // What is wrong beside the fields, and the field it lies in marked and tied to the words;
    // or what the schedule costs.
    showFaults() {
      const table = tables[language.current];
      const named = {};
      for (const [part, fault] of Object.entries(this.faults)) {
        this.errors[part].textContent = fault ? describe(fault, table) : '';
        const name = fault && Object.keys(paramOf).find((key) => paramOf[key] === fault.field);
        if (name) {
          named[name] = this.errors[part].id;
        }
      }
      for (const [name, input] of Object.entries(this.inputs)) {
        input.setAttribute('aria-invalid', String(name in named));
        // The fault first, then the field's own help.
        const describedBy = [named[name], input.dataset.help].filter(Boolean).join(' ');
        if (describedBy) {
          input.setAttribute('aria-describedby', describedBy);
        } else {
          input.removeAttribute('aria-describedby');
        }
      }
      this.cost.textContent = this.schedule && !this.faults.schedule ? this.costText(this.schedule) : '';
    }

    costText(schedule) {
      const { t, format } = language;
      return t('cost', t('levels', schedule.levels, format.whole(schedule.levels)),
        t('trials', schedule.trials, format.whole(schedule.trials)),
        t('trials', schedule.trialsPerRun, format.whole(schedule.trialsPerRun)), format.whole(2 ** schedule.bits));
    }
  }

  window.saPage.ScheduleForm = ScheduleForm;
})();
