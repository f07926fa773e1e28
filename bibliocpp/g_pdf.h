// One-page PDF 1.4 writer over an open output stream: a head (three page sizes), drawing and text
// operators appended to the page's content stream, then the tail with the cross-reference table.
// Coordinates are points, origin bottom-left, y upwards.
//
// Exact /Length and xref offsets need what was written before, so each stream between a head and
// its tail has a side record, kept by the writer and keyed by the stream's address: it counts the
// bytes of the document (offsets are from the head's first byte) and keeps the content stream in
// memory until its length is known. While a record is open the stream's buffer is the writer's;
// the tail puts the caller's buffer back. A stream that is not good at the head gets no record
// and receives nothing; a tail without a head writes nothing.
#ifndef BIBLIOCPP_G_PDF_H
#define BIBLIOCPP_G_PDF_H

#include <ostream>
#include <string>

// Heads: objects 1 to 5 and the page object 10, then object 11 whose stream the drawing calls fill.
void genere_debut_pdf_portrait(std::ostream& os);   // 612 x 810
void genere_debut_pdf_landscape(std::ostream& os);  // 810 x 612
void genere_debut_pdf_taille_non_standard(std::ostream& os, long width, long height);

// Text at (x, y): /F1 Times-Roman, /F2 Times-Bold. "\", "(" and ")" are escaped in the string.
void genere_chaine_pdf(std::ostream& os, long x, long y, int size, const std::string& text);
void genere_chaine_bold_pdf(std::ostream& os, long x, long y, int size, const std::string& text);

// Shapes, all made of stroked segments (fills are one segment per point column).
void genere_ligne_pdf(std::ostream& os, long x1, long y1, long x2, long y2);
void genere_boite_pdf(std::ostream& os, long x, long y, long w, long h);  // (x, y) top-left
void genere_rectangle_plein_pdf(std::ostream& os, long x, long y, long w, long h, int unused);  // up from y
void genere_rectangle_trou_pdf(std::ostream& os, long x, long y, long w, long h, long hole, int unused);
void genere_ovale_plein_pdf(std::ostream& os, long x, long y, long w, long h, int unused);
void genere_ovale_trou_pdf(std::ostream& os, long x, long y, long w, long h, long hole, int unused);
// Dashes on a vertical (y1 < y2) or horizontal (x1 < x2) segment; a pattern that cannot advance
// (dash <= 0 or dash + gap <= 0) and a slanted segment draw one plain segment, the latter with a
// warning on stderr; a vertical or horizontal segment in decreasing order draws nothing.
void genere_ligne_pointille_pdf(std::ostream& os, long x1, long y1, long x2, long y2, long dash, long gap);

// Tail: closes object 11, writes the cross-reference table of every object begun and the trailer.
void genere_fin_pdf(std::ostream& os);

int fonte_12(char c);                                        // width of c in 1/18 point at size 1
long longueur_chaine_pdf(const std::string& text, int size);  // printed width in points

// The text as it goes between the parentheses of a PDF string.
std::string pdf_chaine_echappee(const std::string& text);

// Steps the heads and the tail are made of, for documents of several pages:
// pdf_debut_document opens the record and writes "%PDF-1.4"; pdf_debut_objet records the offset of
// object n and writes "n 0 obj"; between pdf_debut_contenu and pdf_fin_contenu what is written to
// the stream is the current object's stream data, and pdf_fin_contenu writes its length line,
// "stream", the data, "endstream", "endobj" and an empty line; pdf_fin_document writes the
// cross-reference section (objects 0 to the highest begun, numbers without an object free) and
// the trailer, and closes the record. Every step is a no-op on a stream without a record.
void pdf_debut_document(std::ostream& os);
void pdf_debut_objet(std::ostream& os, int n);
void pdf_debut_contenu(std::ostream& os);
void pdf_fin_contenu(std::ostream& os);
void pdf_fin_document(std::ostream& os);

#endif
