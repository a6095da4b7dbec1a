#!/usr/bin/python3
"""The documents of veskar-cli agree with the program.

Usage: check_cli_docs.py VESKAR_CLI README.md cli.html

  README.md  every block after "<!-- veskar-cli COMMAND --help -->" is exactly what
             `veskar-cli COMMAND --help` prints, and every command has one;
  cli.html   the help file's command-line page names every option of every command, and for
             each of the window's fields its option, its label and its default side by side.
Exit status 0 when they agree; what disagrees is printed.
"""
import re
import subprocess
import sys

cli, readme_path, html_path = sys.argv[1:4]
readme = open(readme_path, encoding="utf-8").read()
html = open(html_path, encoding="utf-8").read()
failures = []


def helptext(command):
    return subprocess.run([cli, command, "--help"], capture_output=True, text=True, check=True).stdout


commands = re.findall(r"^  (\w+)  ", helptext("--help").split("Commands:")[1].split("\n\n")[0], re.M)
if not commands:
    commands = [line.split()[0] for line in helptext("--help").split("Commands:\n")[1].split("\n\n")[0].splitlines()]
for command in commands:
    text = helptext(command)
    block = re.search(r"<!-- veskar-cli %s --help -->\n```text\n(.*?)```\n" % command, readme, re.S)
    if not block:
        failures.append("README.md has no usage block of %s" % command)
    elif block.group(1) != text:
        failures.append("README.md's usage of %s differs from the program's" % command)
    for option in sorted(set(re.findall(r"(?<![\w-])(--[a-z0-9-]+)", text)) - {"--help"}):
        if option not in html:
            failures.append("cli.html does not name %s of %s" % (option, command))
    if command == "draw":
        for option, label, default in re.findall(r"^  (--[a-z-]+) T +(\S+), [^(]*\(default ([^)]*)\)", text, re.M):
            row = "<tr><td>%s</td><td>%s</td><td>%s</td></tr>" % (option, label, default)
            if row not in html:
                failures.append("cli.html lacks the row %s" % row)

for f in failures:
    print("FAILED: " + f)
sys.exit(1 if failures else 0)
