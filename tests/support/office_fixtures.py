# Writes the Office fixtures of tst_OfficeConversion into the folder given as the argument:
# "my report.docx" (the three zip parts of a minimal Word document, two pages, a big heading on the
# first) and "deck.pptx" (a flat ODP presentation of two slides; LibreOffice goes by content).
import os, sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'demo-tour'))
from documents import write_docx  # noqa: E402

out = sys.argv[1]
doc = ('<w:p><w:r><w:rPr><w:sz w:val="96"/></w:rPr><w:t>First page</w:t></w:r></w:p>'
       '<w:p><w:r><w:br w:type="page"/><w:t>Second page</w:t></w:r></w:p>')
write_docx(out + '/my report.docx', doc)
page = ('<draw:page draw:name="{0}"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm">'
        '<draw:text-box><text:p>Slide {0}</text:p></draw:text-box></draw:frame></draw:page>')
fodp = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
        ' xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"'
        ' office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation">'
        '<office:body><office:presentation>' + page.format('one') + page.format('two') +
        '</office:presentation></office:body></office:document>')
open(out + '/deck.pptx', 'w').write(fodp)
