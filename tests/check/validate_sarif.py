"""The SARIF reports of the site check validate against the SARIF 2.1.0
schema kept beside the test site, with every rule on and with some left out.

Run as: python3 validate_sarif.py KESTROVA_CLI DATA_DIR (needs the Debian
package python3-jsonschema)."""
import json
import subprocess
import sys

import jsonschema


def main():
    cli, data = sys.argv[1], sys.argv[2]
    with open(data + "/sarif-schema-2.1.0.json", encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft4Validator(schema)
    runs = [["site"], ["site", "--only", "link-broken,title-missing", "--lang", "fr"]]
    failures = 0
    for extra in runs:
        done = subprocess.run([cli, "check", *extra, "--format", "sarif"], cwd=data,
                              capture_output=True, check=False)
        if done.returncode not in (0, 1):
            print("check failed:", extra, done.stderr.decode())
            failures += 1
            continue
        log = json.loads(done.stdout)
        errors = list(validator.iter_errors(log))
        for error in errors:
            print("invalid:", extra, "/".join(map(str, error.absolute_path)), error.message)
        failures += len(errors)
        if not log["runs"][0]["results"]:
            print("no results:", extra)
            failures += 1
    # The schema does reject a broken log: a driver without its name.
    broken = {"version": "2.1.0", "runs": [{"tool": {"driver": {}}}]}
    if validator.is_valid(broken):
        print("the schema accepted a log without a driver name")
        failures += 1
    print("SARIF reports checked:", len(runs), "failures:", failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
