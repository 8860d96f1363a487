'use strict';

// A long job in a worker, as the page shows it: a Start that cannot be pressed twice, a Cancel,
// a progress bar, and how much is done with the time left at the pace so far. The focus never
// falls off a button that disables itself: it moves to the other one.
(function () {
  const { language } = window.saPage;

  class Job {
    constructor({ start, cancel, progress, status }) {
      Object.assign(this, { start, cancelButton: cancel, progress, status });
      this.controller = null;
      this.ready = true;
      cancel.addEventListener('click', () => this.cancel());
    }

    // Stops the job, if one runs: its promise resolves to null.
    cancel() {
      if (this.controller) {
        this.controller.abort();
      }
    }

    get running() {
      return this.controller !== null;
    }

    // Whether there is something to start.
    setReady(ready) {
      this.ready = ready;
      this.updateButtons();
    }

    updateButtons() {
      const focused = document.activeElement;
      this.start.disabled = !this.ready || this.running;
      this.cancelButton.disabled = !this.running;
      if (focused === this.start && this.start.disabled && !this.cancelButton.disabled) {
        this.cancelButton.focus();
      } else if (focused === this.cancelButton && this.cancelButton.disabled && !this.start.disabled) {
        this.start.focus();
      }
    }

    // Runs `work(signal, onProgress)`, where onProgress takes what a call of window.sa reports
    // ({runsDone, runs}, {levelsDone, levels}, ...). Resolves to what the work resolves to, or
    // to null once cancelled; `this.done` then says how far it got, in words.
    async run(work) {
      const { t, format } = language;
      this.controller = new AbortController();
      this.updateButtons();
      this.progress.value = 0;
      this.done = '';
      const began = performance.now();
      const onProgress = (progress) => {
        const [doneKey] = Object.keys(progress).filter((key) => key.endsWith('Done'));
        const [done, total] = [progress[doneKey], progress[doneKey.slice(0, -'Done'.length)]];
        this.progress.value = total > 0 ? done / total : 0;
        this.done = t(doneKey.slice(0, -'Done'.length), Math.floor(done), format.whole(Math.floor(done)));
        const words = t(doneKey.slice(0, -'Done'.length), total, t('of', format.whole(Math.floor(done)), format.whole(total)));
        const elapsed = (performance.now() - began) / 1000;
        const left = done > 0 && elapsed > 1 ? (elapsed * (total - done)) / done : null;
        this.status.textContent = left === null ? words
          : t('timeLeft', words, t('seconds', format.whole(Math.max(1, left))));
      };
      try {
        const result = await work(this.controller.signal, onProgress);
        this.progress.value = 1;
        return result;
      } catch (failure) {
        if (failure.name === 'AbortError') {
          return null;
        }
        this.status.textContent = '';
        throw failure;
      } finally {
        this.controller = null;
        this.updateButtons();
      }
    }
  }

  // A view whose figures a Job finds from the schedule's fields: `clear()` takes them off and
  // says whether there were any.
  class JobView {
    setReady(ready) {
      this.job.setReady(ready);
    }

    // The fields have changed: the figures on show, or on their way, are of other ones.
    setOutdated() {
      this.job.cancel();
      if (this.clear()) {
        this.job.status.textContent = language.t('outdated');
      }
    }
  }

  window.saPage.Job = Job;
  window.saPage.JobView = JobView;
})();
