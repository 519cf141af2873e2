// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Checks SBOMs against the CycloneDX 1.6 JSON schema, strictly (no property
// the schema does not name), with the CycloneDX project's own validator.
// Usage: node validate_sbom.mjs FILE.cdx.json...

import fs from "node:fs";

import { Validation } from "@cyclonedx/cyclonedx-library";

const validator = new Validation.JsonStrictValidator("1.6");
for (const file of process.argv.slice(2)) {
  const errors = await validator.validate(fs.readFileSync(file, "utf8"));
  if (errors) {
    console.error(`${file} is not valid CycloneDX 1.6:`, JSON.stringify(errors, null, 1));
    process.exitCode = 1;
  } else {
    console.log(`${file}: valid CycloneDX 1.6`);
  }
}
