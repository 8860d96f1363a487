'use strict';

// Schedules compared by their time to solution (sa.sweep): for lists of T0, cooling factors and
// final temperatures, the share of runs on the exact optimum and TTS99 against the trials a run
// makes, a line per cooling factor, the least named. The rows are sa_study's, as its CSV
// writes them; the view only draws them.
(function () {
  const { language, vocabulary, Job, JobView, Chart, palette } = window.saPage;
  const { describe, tables } = window.saPage.messages;
  // Each of the sweep's inputs is named 'sweep-' and the key of its field in the page's address;
  // the calls take it by the field's name in the interface.
  const paramOfKey = Object.fromEntries(vocabulary.fields.map((field) => [field.key, field.param]));
  const paramOf = (name) => paramOfKey[name.slice('sweep-'.length)];
  // README's sweep: T0 1 and five cooling factors, each cooled on to seven final temperatures.
  const defaults = {
    'sweep-t0': '1',
    'sweep-alpha': '0.8,0.9,0.95,0.97,0.99',
    'sweep-t-final': '0.1,0.01,0.001,0.0001,0.00001,0.000001,0.0000001',
  };

  class SweepView extends JobView {
    constructor({ form, chart, job, error, least, table, scheduleFields, onChange, points, onLoad }) {
      super();
      Object.assign(this, { form, error, least, table, scheduleFields, onChange, points, onLoad });
      this.chart = new Chart(chart);
      this.loaded = null;  // the row whose schedule was last loaded into the fields
      chart.addEventListener('click', (event) => {
        const box = chart.getBoundingClientRect();
        const row = this.chart.dotNear(event.clientX - box.left, event.clientY - box.top);
        if (row) {
          this.load(row);
        }
      });
      this.job = new Job(job);
      this.inputs = Object.fromEntries([...form.elements].filter((element) => element.tagName === 'INPUT')
        .map((input) => [input.name, input]));
      this.rows = null;
      this.fault = null;
      this.setValues({});
      form.addEventListener('submit', (event) => {
        event.preventDefault();
        this.run();
      });
      for (const input of Object.values(this.inputs)) {
        input.addEventListener('input', () => {
          this.setOutdated();
          this.refuse(null);
          this.onChange();
        });
      }
      language.onChange(() => this.show());
      this.show();
    }

    // The keys of its fields in the page's address.
    keys() {
      return Object.keys(this.inputs);
    }

    // What sa.sweep takes: the experiment's fields, the sweep's own in place of the schedule's.
    params() {
      const params = { ...this.scheduleFields() };
      for (const [name, input] of Object.entries(this.inputs)) {
        params[paramOf(name)] = input.value;
      }
      return params;
    }

    // Shows why the lists cannot run, beside them; null takes that away.
    refuse(fault) {
      this.fault = fault;
      if (!fault) {
        this.error.textContent = '';
      }
      this.showFault();
    }

    // The lists as the page's address holds them, in English style.
    values() {
      return Object.fromEntries(Object.entries(this.inputs).map(([name, input]) => [name, language.toEnglish(input.value)]));
    }

    // The lists from `values`, README's sweep for those left out.
    setValues(values) {
      for (const [name, input] of Object.entries(this.inputs)) {
        input.value = language.fromEnglish(values[name] ?? defaults[name]);
      }
      this.setOutdated();
    }

    clear() {
      if (!this.rows) {
        return false;
      }
      this.rows = null;
      this.loaded = null;
      this.show();
      return true;
    }

    // Runs the sweep; resolves to its rows, or null.
    async run() {
      if (this.job.running) {
        return null;
      }
      const { t, format } = language;
      const params = this.params();
      this.rows = null;
      this.loaded = null;
      this.fault = null;
      this.error.textContent = '';
      this.show();
      const began = performance.now();
      try {
        const rows = await this.job.run((signal, onProgress) =>
          window.sa.sweep(params, { signal, onProgress, numberStyle: language.numberStyle() }));
        if (rows === null) {
          this.job.status.textContent = t('cancelled', this.job.done);
          return null;
        }
        this.rows = rows;
        this.show();
        this.job.status.textContent = t('sweepDone', t('schedules', rows.length, format.whole(rows.length)),
          format.fixed((performance.now() - began) / 1000, 2));
        return rows;
      } catch (failure) {
        this.fault = failure.fault ?? null;
        this.error.textContent = failure.message;
        this.show();
        return null;
      }
    }

    // The row with the least TTS99, as the study names it, or null when no run reached the
    // exact optimum.
    leastRow() {
      return this.rows?.least == null ? null : this.rows[this.rows.least];
    }

    describeRow(row) {
      const { t, format } = language;
      return t('caseText', format.plain(row.t0), format.plain(row.alpha), format.plain(row.t_final),
        t('trials', row.trials_per_level, format.whole(row.trials_per_level)), row.bits);
    }

    // Loads the schedule of `row` into the fields, and marks its point.
    load(row) {
      this.loaded = row;
      this.show();
      this.onLoad(row);
    }

    // The sweep's points as buttons, a row of final temperatures per line: one stop of Tab, the
    // arrows moving between them, Enter or Space loading one.
    showPoints(lines) {
      const { t, format } = language;
      const all = [];
      const groups = lines.map((line) => {
        const group = document.createElement('div');
        group.setAttribute('role', 'group');
        group.setAttribute('aria-label', line.label);
        const name = document.createElement('span');
        name.textContent = line.label;
        name.setAttribute('aria-hidden', 'true');
        const buttons = line.rows.map((row) => {
          const button = document.createElement('button');
          button.type = 'button';
          button.textContent = format.plain(row.t_final);
          button.setAttribute('aria-label', t('loadPoint', this.describeRow(row)));
          button.setAttribute('aria-pressed', String(row === this.loaded));
          button.tabIndex = -1;
          button.addEventListener('click', () => {
            this.load(row);
            this.points.querySelectorAll('button')[all.indexOf(row)]?.focus();
          });
          all.push(row);
          return button;
        });
        group.append(name, ...buttons);
        return group;
      });
      const note = document.createElement('p');
      note.className = 'note';
      note.textContent = t('sweepPointsNote');
      this.points.replaceChildren(...(lines.length ? [note, ...groups] : []));
      const buttons = [...this.points.querySelectorAll('button')];
      const stop = buttons[Math.max(0, all.indexOf(this.loaded))];
      if (stop) {
        stop.tabIndex = 0;
      }
      const width = lines[0]?.rows.length ?? 0;
      const moves = { ArrowRight: 1, ArrowLeft: -1, ArrowDown: width, ArrowUp: -width, Home: -Infinity, End: Infinity };
      buttons.forEach((button, i) => button.addEventListener('keydown', (event) => {
        if (!(event.key in moves)) {
          return;
        }
        event.preventDefault();
        const to = Math.min(Math.max(0, i + moves[event.key]), buttons.length - 1);
        button.tabIndex = -1;
        buttons[to].tabIndex = 0;
        buttons[to].focus();
      }));
    }

    show() {
      const { t, format } = language;
      this.chart.canvas.setAttribute('aria-label', t('sweepChartLabel'));
      this.showFault();
      this.showTable();
      if (!this.rows) {
        this.showPoints([]);
        this.least.textContent = '';
        this.chart.hint = t('sweepHint');
        this.chart.show(null);
        return;
      }
      const least = this.leastRow();
      this.least.textContent = least === null ? t('noSuccess')
        : t('lessonLeast', this.describeRow(least), format.whole(least.tts99_trials),
          format.significant(least.r99, 3), t('trials', least.trials_per_run, format.whole(least.trials_per_run)));
      const lines = new Map();
      const manyT0 = new Set(this.rows.map((row) => row.t0)).size > 1;
      for (const row of this.rows) {
        const key = `${row.t0} ${row.alpha} ${row.trials_per_level} ${row.bits}`;
        if (!lines.has(key)) {
          lines.set(key, { label: `${manyT0 ? `T0 ${format.plain(row.t0)}, ` : ''}α ${format.plain(row.alpha)}`, rows: [] });
        }
        lines.get(key).rows.push(row);
      }
      for (const line of lines.values()) {
        line.rows.sort((a, b) => a.trials_per_run - b.trials_per_run);
      }
      // Each point carries its row, for a click to load its schedule.
      const series = (value) => [...lines.values()].map((line, i) => ({
        label: line.label, color: palette[i % palette.length], dots: true,
        points: line.rows.map((row) => [row.trials_per_run, value(row), row]),
      }));
      this.showPoints([...lines.values()]);
      const loaded = this.loaded;
      const perRun = this.rows.map((row) => row.trials_per_run);
      this.chart.show({
        x: { label: t('chartTrialsPerRun'), scale: 'log', min: Math.min(...perRun) / 1.5, max: Math.max(...perRun) * 1.5 },
        panels: [
          { label: t('chartSuccess'), min: 0, percent: true,
            series: series((row) => row.exact_optimum_runs / row.runs),
            marks: loaded ? [{ x: loaded.trials_per_run, y: loaded.exact_optimum_runs / loaded.runs,
              label: t('loadedMark', format.plain(loaded.t_final)) }] : [] },
          { label: t('chartTts'), scale: 'log', series: series((row) => row.tts99_trials ?? NaN),
            marks: least ? [{ x: least.trials_per_run, y: least.tts99_trials, label: format.whole(least.tts99_trials) }] : [] },
        ],
      });
    }

    showFault() {
      const named = this.fault && Object.keys(this.inputs).find((name) => paramOf(name) === this.fault.field);
      if (this.fault) {
        this.error.textContent = describe(this.fault, tables[language.current]);
      }
      for (const [name, input] of Object.entries(this.inputs)) {
        input.setAttribute('aria-invalid', String(name === named));
        if (name === named) {
          input.setAttribute('aria-describedby', this.error.id);
        } else {
          input.removeAttribute('aria-describedby');
        }
      }
    }

    // Every row, every column, as sa_study writes them.
    showTable() {
      const [head, body] = [this.table.tHead, this.table.tBodies[0]];
      head.replaceChildren();
      body.replaceChildren();
      if (!this.rows || this.rows.length === 0) {
        return;
      }
      const names = Object.keys(this.rows[0]);
      const heading = head.insertRow();
      for (const name of names) {
        const cell = document.createElement('th');
        cell.scope = 'col';
        cell.textContent = name;
        heading.append(cell);
      }
      for (const row of this.rows) {
        const line = body.insertRow();
        for (const name of names) {
          line.insertCell().textContent = row[name] === null ? '' : String(row[name]);
        }
      }
    }
  }

  window.saPage.SweepView = SweepView;
})();
