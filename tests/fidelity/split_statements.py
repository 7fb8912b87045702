#!/usr/bin/env python3
"""Splits SQL into the statements that psql would send one by one and writes them as a
PostgreSQL block script (each statement followed by a line holding only "/").

  split_statements.py BLOCK-SCRIPT < SQL

A statement ends at a semicolon outside quotes ('...', E'...', "..."), dollar quotes
($tag$...$tag$), comments (-- and nested /* */), parentheses and, in CREATE [OR REPLACE]
FUNCTION or PROCEDURE, BEGIN ... END bodies. Blank space and -- comments before a statement are
dropped, as psql does. Prints the number of statements."""
import re
import sys

DOLLAR = re.compile(r"\$([A-Za-z_\x80-\U0010ffff][A-Za-z0-9_\x80-\U0010ffff]*)?\$")
WORD = re.compile(r"[A-Za-z_\x80-\U0010ffff][A-Za-z0-9_$\x80-\U0010ffff]*")
ROUTINE_HEADS = (["create", "function"], ["create", "procedure"],
                 ["create", "or", "replace", "function"], ["create", "or", "replace", "procedure"])


def split(text):
    statements, start, i, n = [], None, 0, len(text)
    parens = begins = 0
    words = []
    while i < n:
        c = text[i]
        if c.isspace():
            i += 1
            continue
        if text.startswith("--", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
            continue
        if start is None:
            start, parens, begins, words = i, 0, 0, []
        if text.startswith("/*", i):
            depth, i = 1, i + 2
            while i < n and depth:
                if text.startswith("/*", i):
                    depth, i = depth + 1, i + 2
                elif text.startswith("*/", i):
                    depth, i = depth - 1, i + 2
                else:
                    i += 1
        elif c == "'" or c == '"':
            backslashes = c == "'" and i > 0 and text[i - 1] in "eE" and \
                not (i > 1 and (text[i - 2].isalnum() or text[i - 2] in "_$"))
            i += 1
            while i < n:
                if backslashes and text[i] == "\\":
                    i += 2
                elif text[i] == c:
                    if text[i + 1:i + 2] != c:
                        break
                    i += 2
                else:
                    i += 1
            i += 1
        elif c == "$" and (m := DOLLAR.match(text, i)) and \
                not (i > 0 and (text[i - 1].isalnum() or text[i - 1] in "_$")):
            end = text.find(m.group(0), m.end())
            i = n if end < 0 else end + len(m.group(0))
        elif (m := WORD.match(text, i)):
            word = m.group(0).lower()
            words.append(word)
            if parens == 0 and any(words[:len(h)] == h for h in ROUTINE_HEADS):
                if word == "begin" or (word == "case" and begins):
                    begins += 1
                elif word == "end" and begins:
                    begins -= 1
            i = m.end()
        else:
            parens += (c == "(") - (c == ")")
            i += 1
            if c == ";" and parens == 0 and begins == 0:
                statements.append(text[start:i])
                start = None
    if start is not None:
        statements.append(text[start:].rstrip())
    return statements


def main():
    statements = split(sys.stdin.read())
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        for statement in statements:
            if any(line.strip() == "/" for line in statement.split("\n")):
                sys.exit("split_statements: a line holding only '/' inside a statement")
            out.write(statement + "\n/\n")
    print(len(statements))


main()
