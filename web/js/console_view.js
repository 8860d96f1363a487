'use strict';

// sa_demo's own session. A session is fixed by its clock second and its input, so each line
// the user enters runs the session again with all the input so far, and the pane adds what
// the program printed beyond what it had shown, after the line the user typed, as a terminal
// would echo it. The session stops where the input runs out, which is where sa_demo would wait.
(function () {
  class ConsoleView {
    constructor({ secondForm, output, form, error }) {
      this.second = secondForm.elements.second;
      this.line = form.elements.line;
      this.enterButton = form.querySelector('button');
      this.output = output;
      this.error = error;
      this.second.value = String(Math.floor(Date.now() / 1000));
      secondForm.addEventListener('submit', (event) => {
        event.preventDefault();
        this.restart();
      });
      form.addEventListener('submit', (event) => {
        event.preventDefault();
        this.enter(this.line.value);
      });
    }

    async restart() {
      this.input = '';
      this.printed = '';
      this.output.replaceChildren();
      this.error.textContent = '';
      this.setOpen(false);
      const second = Number(this.second.value.trim() === '' ? NaN : this.second.value);
      try {
        this.session = second;
        await this.update();
      } catch (failure) {
        this.error.textContent = failure.message;
      }
    }

    async enter(line) {
      this.line.value = '';
      this.input += `${line}\n`;
      this.append(`${line}\n`, 'typed');
      await this.update();
      this.line.focus();
    }

    async update() {
      this.setOpen(false);
      const result = await window.saPage.core.session(this.session, this.input);
      if (result.text.startsWith(this.printed)) {
        this.append(result.text.slice(this.printed.length), 'printed');
      } else {
        this.output.replaceChildren();
        this.append(result.text, 'printed');
      }
      this.printed = result.text;
      if (result.awaitingInput) {
        this.setOpen(true);
      } else {
        this.append(`\n[sa_demo has ended with status ${result.status}: start again for a new session]\n`, 'ended');
      }
      this.output.scrollTop = this.output.scrollHeight;
    }

    append(text, kind) {
      const span = document.createElement('span');
      span.className = kind;
      span.textContent = text;
      this.output.append(span);
    }

    setOpen(open) {
      this.line.disabled = !open;
      this.enterButton.disabled = !open;
    }
  }

  window.saPage.ConsoleView = ConsoleView;
})();
