#!/usr/bin/env python3
"""gen_wxs.py TREE OUT.wxs: a WiX source (file sources relative to OUT's folder,
as wixl wants them) for wixl that installs every file of
TREE into INSTALLDIR (a public property, so msiexec can be told where), one
component per folder. GUIDs are derived from the paths, so the same tree
gives the same package."""
import os
import sys
import uuid
from xml.sax.saxutils import quoteattr

NS = uuid.UUID("5d0f3c8e-7a43-4b8e-9b0e-2b6a1f4c9e11")


def guid(text):
    return str(uuid.uuid5(NS, text)).upper()


def main():
    tree, out = sys.argv[1], sys.argv[2]
    lines = []
    components = []
    counter = [0]

    def walk(rel, indent):
        full = os.path.join(tree, rel)
        names = sorted(os.listdir(full))
        files = [n for n in names if os.path.isfile(os.path.join(full, n))]
        dirs = [n for n in names if os.path.isdir(os.path.join(full, n))]
        pad = " " * indent
        if files:
            counter[0] += 1
            cid = "C%05d" % counter[0]
            components.append(cid)
            lines.append('%s<Component Id="%s" Guid="%s">' % (pad, cid, guid("c:" + rel)))
            for i, name in enumerate(files):
                counter[0] += 1
                src = os.path.relpath(os.path.join(full, name), os.path.dirname(os.path.abspath(out)))
                lines.append('%s  <File Id="F%05d" Name=%s Source=%s%s/>' % (
                    pad, counter[0], quoteattr(name), quoteattr(src),
                    ' KeyPath="yes"' if i == 0 else ""))
            lines.append("%s</Component>" % pad)
        for name in dirs:
            counter[0] += 1
            lines.append('%s<Directory Id="D%05d" Name=%s>' % (pad, counter[0], quoteattr(name)))
            walk(os.path.join(rel, name), indent + 2)
            lines.append("%s</Directory>" % pad)

    walk("", 8)
    with open(out, "w") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n')
        f.write('<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">\n')
        f.write('  <Product Id="%s" Name="HxBench" Language="1033" Version="1.0.0" '
                'Manufacturer="hxbench" UpgradeCode="%s">\n' % (guid("product:" + out),
                                                                guid("upgrade")))
        f.write('    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>\n')
        f.write('    <Media Id="1" Cabinet="tree.cab" EmbedCab="yes"/>\n')
        f.write('    <Directory Id="TARGETDIR" Name="SourceDir">\n')
        f.write('      <Directory Id="INSTALLDIR" Name="HxBench">\n')
        f.write("\n".join(lines) + "\n")
        f.write("      </Directory>\n    </Directory>\n")
        f.write('    <Feature Id="Main" Level="1">\n')
        for cid in components:
            f.write('      <ComponentRef Id="%s"/>\n' % cid)
        f.write("    </Feature>\n  </Product>\n</Wix>\n")


if __name__ == "__main__":
    main()
