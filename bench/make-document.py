#!/usr/bin/python3
# Writes a .pre document whose receivers field holds COUNT addresses, one a
# line (1,000,000 make about 26 MB), with the other fields filled in.
# Usage: bench/make-document.py COUNT OUT.pre [PRODUCT_URL IMAGE_URL]
import sys

count, out = int(sys.argv[1]), sys.argv[2]
page, image = (sys.argv[3], sys.argv[4]) if len(sys.argv) > 4 else ("http://x.org", "http://x.org/i.png")
records = ["Vantrel", "2.1", "$49", "Linux", image,
           "Takes notes fast and keeps them in sync everywhere.", "27", "Tool", page,
           "1", "1", "30", "Tarsel", "Ann Lee", "ann@x.org", "3",
           "\n".join("receiver%d@example.org" % i for i in range(count))]
with open(out, "wb") as document:
    for record in records:
        document.write(b"%d %s" % (len(record.encode()), record.replace("\n", "\r\n").encode()))
