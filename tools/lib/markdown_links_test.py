#!/usr/bin/env python3
"""Which links the Markdown link check calls dead, in a small repository
made for the purpose: every kind of live link beside every kind of dead one."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import markdown_links  # noqa: E402

GUIDE = """# The guide

## `mdhost sync`: what it sends

## Before anything is destroyed

## Notes
## Notes

<a id="kept-answers"></a>

Set-up
------
"""

README = """# Top

[guide](docs/guide.md) [folder](docs/) [sync](docs/guide.md#mdhost-sync-what-it-sends)
[delete](docs/guide.md#before-anything-is-destroyed "with a title") [second notes](docs/guide.md#notes-1)
[html anchor](docs/guide.md#kept-answers) [setext](docs/guide.md#set-up) [here](#top)
![screenshot](docs/page%20one.png) [site](https://example.com/nowhere) [mail](mailto:a@b.c)
[rooted](/docs/guide.md) [source line](tools/run.sh#L3) [bracketed](<docs/page one.png>)
`[in code](missing.md)` and ``[in a longer span](missing.md)``

```
[in a fence](missing.md)
```

[reference]: docs/guide.md#notes
"""

# One dead link a line, with why it is dead.
BROKEN = """[gone](docs/gone.md)
[no anchor](docs/guide.md#nothing-here)
[no anchor here](#nowhere)
[third notes](docs/guide.md#notes-2)
![gone image](docs/gone.png)
[outside](../outside.md)
[built](build/report.md)
[gone reference]: docs/gone-too.md
"""


def make_repository(folder, broken):
    files = {"README.md": README, "docs/guide.md": GUIDE, "docs/page one.png": "", "tools/run.sh": "",
             "build/report.md": "", ".gitignore": "build/\n"}
    if broken:
        files["docs/broken.md"] = broken.replace("](docs/", "](").replace("](build/", "](../build/").replace(
            "](../outside", "](../../outside").replace("]: docs/", "]: ")
    for name, text in files.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    subprocess.run(["git", "init", "-q", folder], check=True)


class MarkdownLinksTest(unittest.TestCase):
    def test_headings_give_the_anchors_a_reader_links_to(self):
        cases = [
            ("Before anything is destroyed", "before-anything-is-destroyed"),
            ("`mdhost sync`: what it sends", "mdhost-sync-what-it-sends"),
            ("The reference host's options (`--player DIR`)", "the-reference-hosts-options---player-dir"),
            ("Two lanes from one source tree", "two-lanes-from-one-source-tree"),
            ("**Bold** and [a link](x.md)", "bold-and-a-link"),
            ("`folder_bench`, listing 10,000 tracks", "folder_bench-listing-10000-tracks"),
        ]
        for heading, expected in cases:
            with self.subTest(heading=heading):
                self.assertEqual(markdown_links.slug(heading), expected)

    def test_every_kind_of_live_link_is_live(self):
        with tempfile.TemporaryDirectory() as folder:
            make_repository(folder, None)
            dead, read = markdown_links.Repository(folder).dead_links()
            self.assertEqual(dead, [])
            self.assertEqual(read, 15)  # the links outside code, the reference too

    def test_each_dead_link_is_named_with_its_line_and_why(self):
        with tempfile.TemporaryDirectory() as folder:
            make_repository(folder, BROKEN)
            dead, _ = markdown_links.Repository(folder).dead_links()
            expected = [
                (1, "gone.md", "no such file or folder"),
                (2, "guide.md#nothing-here", 'no heading or anchor "nothing-here" in docs/guide.md'),
                (3, "#nowhere", 'no heading or anchor "nowhere" in docs/broken.md'),
                (4, "guide.md#notes-2", 'no heading or anchor "notes-2" in docs/guide.md'),
                (5, "gone.png", "no such file or folder"),
                (6, "../../outside.md", "outside the repository"),
                (7, "../build/report.md", "not in the repository (git ignores it)"),
                (8, "gone-too.md", "no such file or folder"),
            ]
            self.assertEqual([(line, target, why) for _, line, target, why in dead], expected)
            self.assertEqual({name for name, *_ in dead}, {"docs/broken.md"})

    def test_the_command_fails_on_a_dead_link_and_passes_without(self):
        for broken, status in ((None, 0), (BROKEN, 1)):
            with self.subTest(broken=bool(broken)), tempfile.TemporaryDirectory() as folder:
                make_repository(folder, broken)
                run = subprocess.run([sys.executable, markdown_links.__file__, folder], capture_output=True, text=True)
                self.assertEqual(run.returncode, status, run.stdout)
                if broken:
                    self.assertIn("docs/broken.md:1: gone.md: no such file or folder", run.stdout)


if __name__ == "__main__":
    unittest.main()
