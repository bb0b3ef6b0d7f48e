// The text form format: a form (a root component such as a window, with its
// owned components) stored with the published properties of each, and read
// back by creating the components from their class names.
//
//   object Form1: TMainForm
//     Caption = 'Plan editor'
//     Tag = 7
//     object DrawBox1: TvxDrawbox
//       Grid.Visible = True             // nested object: dotted property path
//       Options = [goA, goB]           // set: member names
//       Shape = stEllipse              // enumeration: value name
//       DataModule = Store1            // component reference: a name on the form
//       OnClick = DrawBox1Click        // event: a published method of the form
//       Caption = 'It''s'#13#10'é'     // string: quotes ('' for '), #n for a UTF-16 unit
//       Scale = 2.5                    // float with '.'
//       Picture.Data = {0A1B2C3D}      // binary data as hex, may span lines
//     end
//   end
//
// Files are UTF-8 with CR LF line ends (LF and a byte-order mark are accepted).
// The writer lists the root's owned components at one level, in component
// order, so that reading re-creates that order (component indexes matter:
// creators are numbered by them). The reader also accepts object blocks nested
// inside a component's block; they too become components of the root.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/component.h"

namespace vx::plat {

class TStream;

// Writes Root with its stored published properties, then each owned component
// in component order. Components and events are stored by name, so only
// references to named components of this form (or the form itself) and events
// bound to published methods of Root are written.
void WriteForm(TStream& Stream, TComponent* Root);
// The text WriteForm produces.
std::string FormToText(TComponent* Root);
// Writes a form file; the previous file survives a failed save.
void SaveFormToFile(const std::string& FileName, TComponent* Root);

// Reads a form into Root, which the host created already: the form's class
// must be Root's class or an ancestor. A named component Root already owns is
// read into; other components are created by class name, owned by Root.
// Every component read, and Root, is in csLoading until its Loaded, and in
// csReading while its properties are set (in the order of the file, which is
// the declared order when the writer made it). Component references are
// resolved once all components exist; then Loaded runs for each component
// read, in component order, and for Root last.
// A malformed form raises EFormError naming the line ("line 12: unknown
// property 'Colour' of TvxDrawbox"). Syntax errors, unknown classes and
// duplicate names are found before anything changes; a later error frees the
// components the reading created and clears the loading state, but property
// values already set on Root and on components it already had stay set.
void ReadForm(TStream& Stream, TComponent* Root);
void FormFromText(std::string_view Text, TComponent* Root);
void LoadFormFromFile(const std::string& FileName, TComponent* Root);
// Ends the making of a form built in code as reading a form would: Root and
// its components enter csLoading, then Loaded runs for each component in
// component order and for Root last.
void FinishLoading(TComponent* Root);
// Creates the root from the class the form names (owned by Owner, which may be
// nil) and reads the form into it; on error nothing remains.
TComponent* CreateFormFromStream(TStream& Stream, TComponent* Owner);

}  // namespace vx::plat
