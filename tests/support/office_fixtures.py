# Writes the Office fixtures of tst_OfficeConversion into the folder given as the argument:
# "my report.docx" (the three zip parts of a minimal Word document, two pages, a big heading on the
# first) and "deck.pptx" (a flat ODP presentation of two slides; LibreOffice goes by content).
import sys, zipfile
out = sys.argv[1]
ct = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
      '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
      '<Default Extension="xml" ContentType="application/xml"/>'
      '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
      '</Types>')
rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>'
        '</Relationships>')
doc = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
       '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>'
       '<w:p><w:r><w:rPr><w:sz w:val="96"/></w:rPr><w:t>First page</w:t></w:r></w:p>'
       '<w:p><w:r><w:br w:type="page"/><w:t>Second page</w:t></w:r></w:p>'
       '</w:body></w:document>')
with zipfile.ZipFile(out + '/my report.docx', 'w') as z:
    z.writestr('[Content_Types].xml', ct)
    z.writestr('_rels/.rels', rels)
    z.writestr('word/document.xml', doc)
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
