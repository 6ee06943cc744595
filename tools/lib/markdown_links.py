#!/usr/bin/env python3
"""Finds dead relative links in the repository's Markdown files.

A link is dead when the file or folder it names is not in the repository (a
path outside it, or one git ignores such as build/, is dead too: a fresh
clone has neither) or when its #anchor names no heading or HTML anchor of
the Markdown file it points into. Links with a scheme (https:, mailto:) are
left alone, and so is anything inside code.

  markdown_links.py [ROOT]      (default: the current folder)
Prints each dead link as FILE:LINE: TARGET: why, and exits 1 when there is one.
"""
import os
import re
import subprocess
import sys
import urllib.parse

FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
ATX_HEADING = re.compile(r"^ {0,3}(#{1,6})[ \t]+(.*?)[ \t]*#*[ \t]*$")
SETEXT_UNDERLINE = re.compile(r"^ {0,3}(=+|-+)[ \t]*$")
HTML_ANCHOR = re.compile(r"""<[a-zA-Z][^>]*?\b(?:id|name)\s*=\s*["']([^"']+)["']""")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
# [text](target "title") and ![alt](target); the target may be <bracketed>.
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*(<[^>]*>|[^\s()]*(?:\([^\s()]*\)[^\s()]*)*)")
REFERENCE_DEFINITION = re.compile(r"^ {0,3}\[[^\]]+\]:\s*(<[^>]*>|\S+)")
SCHEME = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")


def slug(heading):
    """The anchor a heading gets, as GitHub makes it: its text without
    markup, lower-cased, punctuation dropped, spaces made hyphens."""
    text = CODE_SPAN.sub(lambda m: m.group(2), heading)
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"<[^>]+>", "", text)
    text = text.lower()
    text = "".join(c for c in text if c.isalnum() or c in "-_ ")
    return text.replace(" ", "-")


def prose_lines(text):
    """Yields (line number, line, line with its code spans blanked) outside
    fenced code."""
    fence = None
    for number, line in enumerate(text.split("\n"), 1):
        opened = FENCE.match(line)
        if fence:
            if opened and opened.group(1)[0] == fence[0] and len(opened.group(1)) >= len(fence):
                fence = None
            continue
        if opened:
            fence = opened.group(1)
            continue
        yield number, line, CODE_SPAN.sub(lambda m: " " * len(m.group(0)), line)


def anchors(text):
    """Every anchor a Markdown text offers: its headings' slugs (a repeated
    one numbered -1, -2, ...) and the ids and names of its HTML elements."""
    found, seen = set(), {}
    previous = ""
    for _, line, prose in prose_lines(text):
        heading = ATX_HEADING.match(line)
        title = heading.group(2) if heading else None
        if not heading and previous.strip() and SETEXT_UNDERLINE.match(line) and not previous.lstrip().startswith(("|", "-", "*")):
            title = previous.strip()
        if title is not None:
            base = slug(title)
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
        found.update(HTML_ANCHOR.findall(prose))
        previous = line
    return found


def links(text):
    """(line number, target) of every link and image in a Markdown text."""
    for number, _, line in prose_lines(text):
        definition = REFERENCE_DEFINITION.match(line)
        if definition:
            yield number, definition.group(1).strip("<>")
            continue
        for match in INLINE_LINK.finditer(line):
            yield number, match.group(1).strip("<>")


class Repository:
    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.is_git = subprocess.run(["git", "-C", self.root, "rev-parse", "--git-dir"],
                                     capture_output=True).returncode == 0
        self._anchors = {}

    def markdown_files(self):
        if self.is_git:
            listed = subprocess.run(["git", "-C", self.root, "ls-files", "-z", "--cached", "--others",
                                     "--exclude-standard", "--", "*.md"],
                                    capture_output=True, check=True).stdout.decode()
            return sorted({f for f in listed.split("\0") if f and os.path.isfile(os.path.join(self.root, f))})
        files = []
        for folder, subfolders, names in os.walk(self.root):
            subfolders[:] = [d for d in subfolders if d not in (".git", "build")]
            files += [os.path.relpath(os.path.join(folder, n), self.root) for n in names if n.endswith(".md")]
        return sorted(files)

    def ignored(self, path):
        if not self.is_git:
            return os.path.relpath(path, self.root).split(os.sep)[0] in (".git", "build")
        return subprocess.run(["git", "-C", self.root, "check-ignore", "-q", path]).returncode == 0

    def anchors_of(self, path):
        if path not in self._anchors:
            with open(path, encoding="utf-8") as f:
                self._anchors[path] = anchors(f.read())
        return self._anchors[path]

    def why_dead(self, source, target):
        """Why a link from the file `source` is dead, or None when it is not."""
        if not target or SCHEME.match(target):
            return None
        path, _, fragment = target.partition("#")
        path, fragment = urllib.parse.unquote(path), urllib.parse.unquote(fragment)
        if not path:
            resolved = source
        elif path.startswith("/"):
            resolved = os.path.normpath(os.path.join(self.root, path.lstrip("/")))
        else:
            resolved = os.path.normpath(os.path.join(os.path.dirname(source), path))
        if os.path.commonpath([self.root, os.path.realpath(resolved)]) != self.root:
            return "outside the repository"
        if not os.path.exists(resolved):
            return "no such file or folder"
        if resolved != source and self.ignored(resolved):
            return "not in the repository (git ignores it)"
        if fragment and resolved.endswith(".md") and os.path.isfile(resolved):
            if fragment not in self.anchors_of(resolved):
                return f'no heading or anchor "{fragment}" in {os.path.relpath(resolved, self.root)}'
        return None

    def dead_links(self):
        """(file, line, target, why) of every dead link, and the count of links read."""
        dead, read = [], 0
        for name in self.markdown_files():
            source = os.path.join(self.root, name)
            with open(source, encoding="utf-8") as f:
                text = f.read()
            for number, target in links(text):
                read += 1
                why = self.why_dead(source, target)
                if why:
                    dead.append((name, number, target, why))
        return dead, read


def main(argv):
    repository = Repository(argv[1] if len(argv) > 1 else ".")
    dead, read = repository.dead_links()
    for name, number, target, why in dead:
        print(f"{name}:{number}: {target}: {why}")
    files = len(repository.markdown_files())
    if dead:
        print(f"{len(dead)} dead link(s) of {read} in {files} Markdown files")
        return 1
    print(f"{read} links in {files} Markdown files, none dead")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
