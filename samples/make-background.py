#!/usr/bin/env python3
"""Gives a sample template a background picture of its blank form.

The blank form is what the sample's screen-only items (PrintSelf 0) show: it is
rendered to a JPEG the way a scanner would see the paper, and stored in the
sample's BkPic. Run after changing the form's layout:
    python3 samples/make-background.py samples/receipt.json build/cli/zqbp-batch
"""
import base64, json, os, subprocess, sys, tempfile

sample, tool = sys.argv[1], sys.argv[2]
doc = json.load(open(sample, encoding="utf-8"))
blank = dict(doc)
blank.pop("BkPic", None)
blank.pop("Expressions", None)  # their targets are not on the blank form
blank["Items"] = [i for i in doc["Items"] if i.get("PrintSelf", 1) == 0]
with tempfile.TemporaryDirectory() as d:
    src, tpl, jpg = (os.path.join(d, n) for n in ("blank.json", "blank.tpl", "blank.jpg"))
    json.dump(blank, open(src, "w", encoding="utf-8"), ensure_ascii=False)
    subprocess.run([tool, "build", src, "-o", tpl], check=True)
    subprocess.run([tool, "render", tpl, "--screen", "-o", jpg], check=True)
    doc["BkPic"] = base64.b64encode(open(jpg, "rb").read()).decode("ascii")
json.dump(doc, open(sample, "w", encoding="utf-8"), ensure_ascii=False, indent=1)
