'use strict';

// The schedule's fields and the study's count of runs, checked as the user types by the rules
// of sa_study's command line (in a worker, through sa.check). The form shows what is wrong
// beside the field it lies in, or the levels and trials that the schedule costs, and hands
// every schedule that checks out to `onSchedule`.
(function () {
  const scheduleNames = ['t0', 'alpha', 'tFinal', 'trials', 'bits'];
  const pause = 150;  // milliseconds of quiet typing before a check

  class ScheduleForm {
    constructor({ form, runsForm, demoButton, cost, error, runsError, onSchedule, onInvalid }) {
      this.inputs = {};
      for (const input of [...form.elements, ...runsForm.elements]) {
        if (input.name) {
          this.inputs[input.name] = input;
        }
      }
      // Busy from the first keystroke until the answer for the latest fields is shown.
      this.forms = [form, runsForm];
      this.setBusy(false);
      this.cost = cost;
      this.error = error;
      this.runsError = runsError;
      this.onSchedule = onSchedule;
      this.onInvalid = onInvalid;
      this.asked = 0;
      this.timer = null;
      this.checked = null;
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
    }

    // The fields as typed, each an option of sa_study.
    fields() {
      const fields = {};
      for (const [name, input] of Object.entries(this.inputs)) {
        fields[name] = input.value;
      }
      return fields;
    }

    setBusy(busy) {
      for (const form of this.forms) {
        form.setAttribute('aria-busy', String(busy));
      }
    }

    checkSoon() {
      this.setBusy(true);
      clearTimeout(this.timer);
      this.timer = setTimeout(() => this.check(), pause);
    }

    async check() {
      this.setBusy(true);
      clearTimeout(this.timer);
      const asked = ++this.asked;
      this.cost.textContent = 'Checking…';
      const checked = await window.sa.check(this.fields());
      if (asked !== this.asked) {
        return;  // the user typed on meanwhile
      }
      this.show(checked);
      this.setBusy(false);
      if (checked.error) {
        this.checked = null;
        this.cost.textContent = '';
        this.onInvalid();
        return;
      }
      this.checked = checked;
      const number = (n) => n.toLocaleString('en');
      this.cost.textContent = `${number(checked.levels)} levels × ${number(checked.trials)} ` +
        `trials = ${number(checked.trialsPerRun)} trials per run, on ${number(2 ** checked.bits)} grid points`;
      this.onSchedule(checked);
    }

    // What is wrong beside the fields, and the field it lies in marked.
    show({ error, fault }) {
      const named = (fault && this.inputs[fault.field]) || null;
      for (const input of Object.values(this.inputs)) {
        input.setAttribute('aria-invalid', String(input === named));
      }
      const aboutRuns = named === this.inputs.runs;
      this.error.textContent = aboutRuns ? '' : error;
      this.runsError.textContent = aboutRuns ? error : '';
    }
  }

  window.saPage.ScheduleForm = ScheduleForm;
})();
