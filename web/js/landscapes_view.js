'use strict';

// The four preset landscapes, each under three schedules (a pure climb, the demo's, a slow
// cooling): twelve studies of the fields' seed and runs, run one after the other through
// sa.study, with one progress and one Stop for all. A table sets their shares and TTS99 side by
// side, and a small plot of each landscape marks its two highest hills. The figures go once the
// fields change, as a study's do.
(function () {
  const { language, Job, JobView, Plot } = window.saPage;

  const landscapes = ['smooth', 'needle', 'deceptive', 'rugged'];
  // Written with a decimal point: the studies are asked in sa_study's own number style.
  const schedules = [
    { id: 'climb', params: { t0: '0.000001', tFinal: '0.0000001' } },
    { id: 'demo', params: {} },
    { id: 'slow', params: { alpha: '0.99' } },
  ];

  class LandscapesView extends JobView {
    constructor({ job, error, table, plots, checked }) {
      super();
      Object.assign(this, { error, table, checked });
      this.job = new Job(job);
      this.plots = Object.fromEntries(landscapes.map((name) => [name, new Plot(plots[name])]));
      this.shown = null;  // the twelve studies on show: [{landscape, schedule, result}]
      job.start.addEventListener('click', () => this.run());
      language.onChange(() => this.show());
      this.drawn = null;
      // Tabulated once in sight, so that the page's own landscape comes first.
      const sight = new IntersectionObserver((entries) => {
        if (entries.some((entry) => entry.isIntersecting)) {
          sight.disconnect();
          this.drawLandscapes();
        }
      });
      sight.observe(plots[landscapes[0]]);
      this.show();
    }

    // Each landscape on its default grid, as sa.landscape tabulates it.
    drawLandscapes() {
      this.drawn ??= (async () => {
        await window.sa.ready;
        for (const name of landscapes) {
          this.plots[name].setLandscape(await window.sa.landscape({ landscape: name }));
        }
      })();
      return this.drawn;
    }

    clear() {
      if (!this.shown) {
        return false;
      }
      this.shown = null;
      this.show();
      return true;
    }

    // The twelve studies, in the table's order; resolves to them, or to null if they did not
    // finish.
    async run() {
      const checked = this.checked();
      if (!checked || this.job.running) {
        return null;
      }
      const { t } = language;
      this.error.textContent = '';
      this.shown = null;
      this.show();
      const { seed, runs } = checked;
      const cases = landscapes.flatMap((landscape) => schedules.map((schedule) => ({ landscape, schedule: schedule.id,
        params: { seed, runs, landscape, ...schedule.params } })));
      this.drawLandscapes();
      try {
        const studies = await this.job.run(async (signal, onProgress) => {
          const done = [];
          onProgress({ runsDone: 0, runs: runs * cases.length });
          for (const { landscape, schedule, params } of cases) {
            const before = done.length * runs;
            const result = await window.sa.study(params, {
              signal, onProgress: (progress) => onProgress({ runsDone: before + progress.runsDone, runs: runs * cases.length }),
            });
            done.push({ landscape, schedule, result });
          }
          return done;
        });
        if (studies === null) {
          this.job.status.textContent = t('cancelled', this.job.done);
          return null;
        }
        this.shown = studies;
        this.show();
        return studies;
      } catch (failure) {
        this.error.textContent = failure.message;
        return null;
      }
    }

    show() {
      const { t } = language;
      for (const name of landscapes) {
        this.plots[name].canvas.setAttribute('aria-label', t('landscapesPlotLabel', name));
        this.plots[name].draw();
      }
      this.showTable();
      if (this.shown) {
        const runs = this.shown.reduce((total, study) => total + study.result.runs, 0);
        const seconds = this.shown.reduce((total, study) => total + study.result.seconds, 0);
        this.job.status.textContent = t('landscapesDone', this.shown.length,
          t('runs', runs, language.format.whole(runs)), language.format.fixed(seconds, 1));
      }
    }

    // A row for each landscape and schedule: the shares of runs on the exact optimum and on the
    // global peak, and TTS99 to each; dashes until the studies have run. Each landscape heads
    // its rows across the table, which keeps it narrow enough for a phone.
    showTable() {
      const { t, format } = language;
      const words = t('landscapesTable');
      const columns = ['schedule', 'exact', 'global', 'tts', 'peakTts'];
      const head = document.createElement('tr');
      for (const name of columns) {
        const cell = document.createElement('th');
        cell.scope = 'col';
        cell.textContent = words.columns[name];
        head.append(cell);
      }
      this.table.tHead.replaceChildren(head);
      this.table.caption.textContent = words.caption;
      const resultOf = (landscape, schedule) =>
        this.shown?.find((study) => study.landscape === landscape && study.schedule === schedule)?.result;
      const tts = (trials) => (trials == null ? '–' : format.whole(trials));
      this.table.replaceChildren(this.table.caption, this.table.tHead, ...landscapes.map((landscape) => {
        const body = document.createElement('tbody');
        const name = document.createElement('th');
        name.scope = 'rowgroup';
        name.colSpan = columns.length;
        name.textContent = landscape;
        body.insertRow().append(name);
        for (const schedule of schedules) {
          const line = body.insertRow();
          const label = document.createElement('th');
          label.scope = 'row';
          label.textContent = words.schedules[schedule.id];
          line.append(label);
          const result = resultOf(landscape, schedule.id);
          const cells = result ? [format.percent(result.exact_optimum_runs / result.runs),
            format.percent(result.global_peak_runs / result.runs), tts(result.tts99_trials), tts(result.peak_tts99_trials)]
            : ['–', '–', '–', '–'];
          for (const text of cells) {
            line.insertCell().textContent = text;
          }
        }
        return body;
      }));
    }
  }

  window.saPage.LandscapesView = LandscapesView;
})();
