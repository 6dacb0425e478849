# Writes the Word document of the demo tour into the folder given as the argument: "demo-notes.docx",
# the three zip parts of a minimal document of two pages. The first page carries a green band over
# its middle (a stack of shaded paragraphs), the mark the tour looks for on the canvas and in the
# stream once LibreOffice has converted the file. write_docx is also what the tests' Office
# fixtures are made with.
import sys, zipfile


def write_docx(path, body):
    """A minimal Word document whose body is the given WordprocessingML paragraphs."""
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
           + body + '</w:body></w:document>')
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('[Content_Types].xml', ct)
        z.writestr('_rels/.rels', rels)
        z.writestr('word/document.xml', doc)


if __name__ == '__main__':
    band = ('<w:p><w:pPr><w:shd w:val="clear" w:color="auto" w:fill="00A000"/><w:spacing w:before="0" w:after="0"/>'
            '<w:rPr><w:sz w:val="96"/></w:rPr></w:pPr>'
            '<w:r><w:rPr><w:color w:val="FFFFFF"/><w:sz w:val="96"/></w:rPr><w:t>{0}</w:t></w:r></w:p>')
    body = ''.join(band.format(t) for t in ['Demo notes', '', '', '', '', '', '', 'page one'])
    write_docx(sys.argv[1] + '/demo-notes.docx',
               body + '<w:p><w:r><w:br w:type="page"/><w:t>Second page</w:t></w:r></w:p>')
