#!/usr/bin/env python3
"""Writes the manual page and the bash completion of brindlecot-cli from the
tool's own help, so that both always name the commands and options the tool
has.

    clidoc.py CLI VERSION MANPAGE COMPLETION

The tool's --help lists the commands; each command's --help gives its usage
line, description, options and arguments. A command with an argument that is
one of several words (import BOOK accounts|transactions|statement) is asked
again for each word, and a word whose help differs (another set of options)
gets a section and completion of its own.
"""

import os
import re
import subprocess
import sys


def run_help(cli, arguments):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    result = subprocess.run([cli, *arguments, "--help"], capture_output=True, text=True, env=env, check=False)
    if result.returncode != 0:
        sys.exit(f"clidoc: {' '.join(arguments)} --help ended with status {result.returncode}: {result.stderr}")
    return result.stdout


def parse_overview(text):
    """The tool's --help: its usage line, the lines of its description and
    the command names, in the order the tool lists them."""
    lines = text.splitlines()
    start = next(i for i, line in enumerate(lines) if line.endswith("Commands:"))
    description = [line.removesuffix("Commands:").strip() for line in lines[1 : start + 1]]
    description = [line for line in description if line]
    commands = [line.split()[0] for line in lines[start + 1 :] if line.startswith("  ")]
    return lines[0], description, commands


def parse_entries(lines):
    """The entries of an Options: or Arguments: block as (name, description):
    names stand in a column from the third character, descriptions in a
    second column; both may wrap onto the following lines."""
    entries = []
    column = None
    for line in lines:
        if column is None:
            column = re.match(r"  \S.*?\s{2,}(?=\S)", line).end()
        name, description = line[2:column].strip(), line[column:].strip()
        if name and (description or not entries):
            entries.append([name, description])
        elif name:
            entries[-1][0] += name  # a long name wraps within its column
        else:
            entries[-1][1] += " " + description
    return [tuple(entry) for entry in entries]


def parse_command_help(text):
    """A command's --help: usage words, description lines, options as
    (names, value name or None, description) and argument descriptions."""
    lines = text.splitlines()
    usage = lines[0].removeprefix("Usage: brindlecot-cli ").removesuffix(" [options]")
    blocks = {}
    current = None
    description = []
    for line in lines[1:]:
        if line in ("Options:", "Arguments:"):
            current = blocks.setdefault(line[:-1], [])
        elif current is not None:
            if line.strip():
                current.append(line)
        elif line.strip():
            description.append(line)
    options = []
    for name, text_ in parse_entries(blocks.get("Options", [])):
        match = re.fullmatch(r"(.*?)(?: <(.*)>)?", name)
        names = [n.strip() for n in match.group(1).split(",")]
        options.append((names, match.group(2), text_))
    words = usage.split()
    arguments = list(zip(words[1:], (d for _, d in parse_entries(blocks.get("Arguments", [])))))
    return {"usage": usage, "command": words[0], "positionals": words[1:], "description": description,
            "options": options, "arguments": arguments}


def collect(cli):
    overview, description, names = parse_overview(run_help(cli, []))
    commands = []
    for name in names:
        main = parse_command_help(run_help(cli, [name]))
        main["kinds"] = []
        for index, positional in enumerate(main["positionals"]):
            if "|" not in positional or positional.startswith("["):
                continue
            before = main["positionals"][:index]
            for word in positional.split("|"):
                kind = parse_command_help(run_help(cli, [name, *before, word]))
                if kind["options"] != main["options"]:
                    kind["kind"] = word
                    kind["usage"] = " ".join([name, *before, word, *main["positionals"][index + 1 :]])
                    if kind["description"] == main["description"]:
                        kind["description"] = []
                    kind["arguments"] = []
                    main["kinds"].append(kind)
        commands.append(main)
    return overview, description, commands


# The manual page.

def roff(text):
    """Text for troff: backslashes written as such, the dashes of options and
    of words that start with one as minus signs, no line taken for a request."""
    text = text.replace("\\", "\\e")
    text = re.sub(r"(?<![\w-])-[-\w]*", lambda m: m.group(0).replace("-", "\\-"), text)
    return "\\&" + text if text.startswith((".", "'")) else text


def option_roff(names, value):
    head = ", ".join("\\fB" + roff(n) + "\\fR" for n in names)
    return head + (" \\fI" + roff(value) + "\\fR" if value else "")


def command_roff(section, own_options=()):
    listed = [o for o in section["options"] if o[0][-1] not in ("--help", "--help-all", *own_options)]
    out = [".SS " + '"' + roff(section["usage"]) + (" [options]" if listed else "") + '"']
    out += [".PP\n" + roff(line) for line in section["description"]]
    for names, value, text in listed:
        out += [".TP", option_roff(names, value), roff(text)]
    for name, text in section["arguments"]:
        out += [".TP", "\\fI" + roff(name) + "\\fR", roff(text)]
    return out


def manual_page(version, overview, description, commands):
    out = [
        '.TH BRINDLECOT\\-CLI 1 "" "Brindlecot ' + version + '" "User Commands"',
        ".SH NAME",
        "brindlecot\\-cli \\- the reports, imports and exports of a Brindlecot book from the command line",
        ".SH SYNOPSIS",
        ".B brindlecot\\-cli",
        ".I COMMAND BOOK",
        "[\\fIoptions\\fR]",
        ".br",
        ".B brindlecot\\-cli",
        "[\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR]",
        ".SH DESCRIPTION",
        "\\fBbrindlecot\\-cli\\fR runs the operations of the Brindlecot program on a book"
        " (a book file, or a server location) without a display, and gives the same figures.",
    ]
    out += [".PP\n" + roff(line) for line in description]
    out += [
        ".PP",
        "A command's \\fB\\-\\-help\\-all\\fR also lists the options of the Qt toolkit.",
        ".SH COMMANDS",
    ]
    for command in commands:
        out += command_roff(command)
        for kind in command["kinds"]:
            shared = {o[0][-1] for o in command["options"]}
            out += command_roff(kind, shared)
    out += [
        ".SH EXIT STATUS",
        ".TP\n.B 0\nThe command did its work.",
        ".TP\n.B 1\nThe book cannot be used, the operation was refused, or \\fBcheck\\fR found faults;"
        " the message says why.",
        ".TP\n.B 2\nThe command line is wrong.",
        ".TP\n.B 130\nStopped by the user (Ctrl+C).",
        ".SH SEE ALSO",
        ".BR brindlecot (1)",
        "",
    ]
    return "\n".join(out)


# The bash completion.

def shell_words(words):
    return " ".join(sorted(set(words), key=words.index))


def completion_case(pattern, options):
    every = [n for names, _, _ in options for n in names]
    valued = [names[-1] for names, value, _ in options if value]
    lines = [f"        {pattern})", f'            options="{shell_words(every)}"', f'            valued="{shell_words(valued)}"']
    choices = [(names[-1], value) for names, value, _ in options if value and "|" in value]
    files = [names[-1] for names, value, _ in options if value in ("FILE", "PATH")]
    if choices or files:
        lines.append('            case "$prev" in')
        lines += [f'                {o}) values="{v.replace("|", " ")}" ;;' for o, v in choices]
        if files:
            lines.append(f"                {'|'.join(files)}) values=@files ;;")
        lines.append("            esac")
    lines.append("            ;;")
    return lines


def completion_script(commands):
    names = [c["command"] for c in commands]
    out = [
        "# bash completion for brindlecot-cli, written from the tool's own help.",
        "",
        "_brindlecot_cli()",
        "{",
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}",
        "    COMPREPLY=()",
        "    if ((COMP_CWORD == 1)); then",
        f'        COMPREPLY=($(compgen -W "{" ".join(names)} --help --version" -- "$cur"))',
        "        return",
        "    fi",
        "    local command=${COMP_WORDS[1]} kind= kinds= positionals= options= valued= values=",
        '    case "$command" in',
    ]
    for c in commands:
        kinds = [k["kind"] for k in c["kinds"]]
        out.append(f"        {c['command']})")
        out.append(f'            positionals="{" ".join(c["positionals"])}"')
        if kinds:
            out.append(f'            kinds="{" ".join(kinds)}"')
        out.append("            ;;")
    out += [
        "        *) return ;;",
        "    esac",
        "    # The word that chooses what a command works on (print BOOK ledger).",
        "    local word",
        '    for word in "${COMP_WORDS[@]:2:COMP_CWORD-2}"; do',
        '        [[ " $kinds " == *" $word "* ]] && kind=$word',
        "    done",
        '    case "$command/$kind" in',
    ]
    for c in commands:
        for k in c["kinds"]:
            out += completion_case(f"{c['command']}/{k['kind']}", k["options"])
        out += completion_case(f"{c['command']}/*", c["options"])
    out += [
        "    esac",
        '    if [[ -n $valued && " $valued " == *" $prev "* ]]; then',
        '        if [[ $values == @files ]]; then',
        "            compopt -o filenames",
        '            mapfile -t COMPREPLY < <(compgen -f -- "$cur")',
        '        elif [[ -n $values ]]; then',
        '            COMPREPLY=($(compgen -W "$values" -- "$cur"))',
        "        fi",
        "        return",
        "    fi",
        '    if [[ $cur == -* ]]; then',
        '        COMPREPLY=($(compgen -W "$options" -- "$cur"))',
        "        return",
        "    fi",
        "    # Which argument this word is: the words before it that are neither",
        "    # options nor the values of options.",
        "    local index=0 i",
        "    for ((i = 2; i < COMP_CWORD; i++)); do",
        "        word=${COMP_WORDS[i]}",
        '        if [[ $word == -* ]]; then',
        '            [[ " $valued " == *" $word "* ]] && ((i++))',
        "        else",
        "            ((index++))",
        "        fi",
        "    done",
        "    local -a expected",
        '    read -ra expected <<<"$positionals"',
        "    local positional=${expected[index]}",
        '    case "$positional" in',
        '        "") ;;',
        '        *"|"*) COMPREPLY=($(compgen -W "${positional//|/ }" -- "$cur")) ;;',
        "        \\[CHANGE\\]) ;;",
        "        *)",
        "            compopt -o filenames",
        '            mapfile -t COMPREPLY < <(compgen -f -- "$cur")',
        "            ;;",
        "    esac",
        "}",
        "complete -F _brindlecot_cli brindlecot-cli",
        "",
    ]
    return "\n".join(out)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    cli, version, manpage, completion = sys.argv[1:]
    overview, description, commands = collect(cli)
    with open(manpage, "w", encoding="utf-8") as f:
        f.write(manual_page(version, overview, description, commands))
    with open(completion, "w", encoding="utf-8") as f:
        f.write(completion_script(commands))


if __name__ == "__main__":
    main()
