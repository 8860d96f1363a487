'use strict';

// A study of the schedule in a worker (sa.study): its progress, a way to cancel it, and then
// where the runs ended, as bars under the landscape, with the shares that sa_study reports.
(function () {
  const bins = 100;
  const colors = { bars: 'rgba(37, 99, 235, 0.35)', barEdge: '#1d4ed8', text: '#1f2937' };
  const percent = (count, runs) => `${((100 * count) / runs).toFixed(2)} %  (${count.toLocaleString('en')})`;

  class StudyView {
    constructor({ plot, form, start, cancel, progress, status, error, results, caption, csv, fields, checked }) {
      this.plot = plot;
      this.start = start;
      this.cancel = cancel;
      this.progress = progress;
      this.status = status;
      this.error = error;
      this.results = results;
      this.caption = caption;
      this.csv = csv;
      this.fields = fields;
      this.checked = checked;
      this.histogram = null;
      this.controller = null;
      plot.underlay = (context, scales) => this.drawBars(context, scales);
      form.addEventListener('submit', (event) => {
        event.preventDefault();
        this.run();
      });
      cancel.addEventListener('click', () => this.controller && this.controller.abort());
    }

    // Whether the fields hold a schedule that can be studied.
    setReady(ready) {
      this.start.disabled = !ready || this.controller !== null;
    }

    async run() {
      const checked = this.checked();
      if (!checked) {
        return;
      }
      this.controller = new AbortController();
      this.start.disabled = true;
      this.cancel.disabled = false;
      this.error.textContent = '';
      this.progress.value = 0;
      let done = 0;
      this.status.textContent = `0 of ${checked.runs.toLocaleString('en')} runs`;
      try {
        const result = await window.sa.study(this.fields(), {
          bins,
          signal: this.controller.signal,
          onProgress: ({ runsDone, runs }) => {
            done = Math.floor(runsDone);
            this.progress.value = runsDone / runs;
            this.status.textContent = `${done.toLocaleString('en')} of ${runs.toLocaleString('en')} runs`;
          },
        });
        this.show(result, checked);
        this.status.textContent = `Done: ${result.runs.toLocaleString('en')} runs in ${result.seconds.toFixed(2)} s.`;
        this.progress.value = 1;
      } catch (failure) {
        if (failure.name === 'AbortError') {
          this.status.textContent = `Cancelled after ${done.toLocaleString('en')} runs.`;
        } else {
          this.error.textContent = failure.message;
          this.status.textContent = '';
        }
      } finally {
        this.controller = null;
        this.cancel.disabled = true;
        this.setReady(this.checked() !== null);
      }
    }

    show(result, checked) {
      const r = this.results;
      r.runs.textContent = result.runs.toLocaleString('en');
      r.exact.textContent = percent(result.exact_optimum_runs, result.runs);
      r.global.textContent = percent(result.global_peak_runs, result.runs);
      r.second.textContent = percent(result.second_peak_runs, result.runs);
      r.mean.textContent = result.mean_best.toFixed(6);
      r.time.textContent = `${result.median_run_us.toFixed(1)} µs (median)`;
      this.caption.textContent = `${checked.description}; seed ${result.seed}.`;
      this.csv.textContent = result.csv;
      this.histogram = result.histogram;
      this.plot.draw();
    }

    drawBars(c, s) {
      if (!this.histogram) {
        return;
      }
      const tallest = Math.max(1, ...this.histogram);
      const width = (s.right - s.left) / this.histogram.length;
      c.fillStyle = colors.bars;
      c.strokeStyle = colors.barEdge;
      c.lineWidth = 1;
      this.histogram.forEach((runs, i) => {
        if (runs === 0) {
          return;
        }
        const height = Math.max(1, (runs / tallest) * (s.lower - s.upper) * 0.85);
        c.fillRect(s.left + i * width, s.lower - height, width, height);
        c.strokeRect(s.left + i * width, s.lower - height, width, height);
      });
      const top = this.histogram.indexOf(tallest);
      c.fillStyle = colors.text;
      c.textAlign = top < this.histogram.length / 2 ? 'left' : 'right';
      c.fillText(`${tallest.toLocaleString('en')} runs`, s.left + (top + (top < this.histogram.length / 2 ? 1.5 : -0.5)) * width,
        s.lower - (s.lower - s.upper) * 0.85 + 12);
      c.textAlign = 'left';
    }
  }

  window.saPage.StudyView = StudyView;
})();
