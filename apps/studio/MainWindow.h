#pragma once
// Planora Studio's main window: the editor over one drawing, with the file, edit, view and
// output commands around it and a palette of drawing tools.

#include <QMainWindow>
#include <QPointF>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "StudioServices.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QMimeData;
class QToolBar;

namespace Orv {
class IORObserver;
class TPLNBaseItem;
}
namespace Orv::Fmx {
class TPlanoraFMX;
class TPLNEditor;
class TAnimationController;
class TPLNViewLibrary;
class TPLNInspector;
}  // namespace Orv::Fmx

namespace Planora::Studio {

class TImportDialog;

class TMainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainWindow(std::shared_ptr<TStudioServices> services = {}, QWidget* parent = nullptr);
  ~TMainWindow() override;

  // Opens a drawing; on failure the user is told why and the current drawing stays.
  bool OpenFile(const QString& path);
  // Saves under `path` (.eti or .json); false (user told) on failure.
  bool SaveTo(const QString& path);
  bool Save();
  bool SaveAs();
  // An empty drawing, after asking about unsaved changes; false when the user stayed.
  bool NewDrawing();
  // Reads diagram or Gantt text and shows it in the import dialog (null, the user told why,
  // when the file cannot be read); the drawing it gives replaces the current one, untitled, when
  // the user imports. Ask about unsaved changes first.
  TImportDialog* ImportFile(const QString& path);
  bool AdoptImport(TImportDialog& dialog);
  // Renders the current page in the format of the file's extension.
  bool ExportTo(const QString& path);

  // Edit commands, as the Edit menu runs them; false (the user told why, when there is a
  // reason) when nothing changed.
  bool CopyItems();
  bool CutItems();
  bool PasteItems();
  // The action of an edit command ("editUndo", "editRedo", "editCut", "editCopy", "editPaste",
  // "editDuplicate", "editDelete", "editAlignLeft" (Top, Right, Bottom), "editSelectAll",
  // "editSnap", "editOrto"), of a view option ("viewConnectors"), of a tool ("toolSelect", "toolLine", ..., "toolFlow", "toolLink"),
  // of a flow shape ("flowProcess", "flowDecision", ...) or of a link choice ("linkRoute" with
  // "Direct", "LRTB", ...; "linkStart" and "linkEnd" with "None", "Arrow", "FillArrow", ...);
  // null for an unknown name.
  QAction* Action(const QString& name) const;
  QToolBar* ToolPalette() const { return fTools; }
  // Enables the edit commands after the document, its history and the clipboard.
  void UpdateEditActions();

  Orv::Fmx::TPlanoraFMX& Document() { return *fDoc; }
  Orv::Fmx::TPLNEditor& Editor() { return *fEditor; }
  QString CurrentFile() const { return fFile; }
  QStringList RecentFiles() const;
  // The texts of the status bar: pointer position, zoom, and what the tool expects next.
  QString PositionText() const;
  QString ZoomText() const;
  QString HintText() const;

  // ---- symbol animation (MainWindowAnimation.cpp)
  void BuildAnimationMenu();
  // Sends the selected symbol along the other selected item; false (the user told why) unless the
  // selection is one symbol and one item that can be a path.
  bool AnimateSelection();
  Orv::Fmx::TAnimationController* Animation() const { return fAnimation; }
  Orv::Fmx::TAnimationController* fAnimation = nullptr;

  static constexpr int kMaxRecent = 8;

  // ---- the symbol library dock and symbol commands (MainWindowLibrary.cpp)
  // Shows a ".lyp" library in the dock and remembers it for the next start; false (the user
  // told why) when it cannot be read, and then nothing changes.
  bool OpenSymbolLibrary(const QString& path);
  Orv::Fmx::TPLNViewLibrary* LibraryView() const { return fLibraryView; }
  Orv::Fmx::TPLNInspector* Inspector() const { return fInspector; }
  // Copies symbol k shown in the dock into the drawing as its current symbol and arms the place
  // tool; false when there is no such symbol.
  bool PickLibrarySymbol(int k);
  // The current symbol placed at a page point (base units) as one undo step; null when the
  // drawing has no current symbol.
  Orv::TPLNBaseItem* PlaceSymbolAt(std::int64_t x, std::int64_t y);
  bool PlacingSymbol() const;
  // A quarter turn, or a new scale, for the selected symbols as one undo step; false when no
  // symbol is selected.
  bool RotateSelectedSymbols(bool left);
  bool ScaleSelectedSymbols(double scale);

  // ---- the language of every text (MainWindowLanguage.cpp)
  // Switches the whole window, and the windows opened later, to a language file ("" for English)
  // and remembers the choice; false (the user told why) when the file cannot be loaded, and then
  // the language stays as it was.
  bool SetLanguageFile(const QString& file);
  // Where the View > Language entries come from: "" (English) and the folder's *.json files.
  QStringList LanguageFiles() const;
  static QString LanguageFolder();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildEditMenu();
  void BuildDocumentMenu();
  void BuildToolPalette();
  // The flow tool with its shapes and the link tool with its routing and terminators.
  // The tools with choices: flow boxes, links, codes, and the Nutri-Score label.
  void BuildStyledTools();
  void BuildLibraryDock();
  void BuildInspectorDock();
  void BuildLanguageMenu();
  void RestoreLanguage();
  void SyncLanguageMenu();
  // The columns of the selected table or the runs of the selected poly text, in their editor.
  void EditSelectedItem();
  // Clicks of the place tool and drops of dragged symbols on the editor's surface.
  bool LibraryEvent(QObject* watched, QEvent* event);
  bool DropSymbol(const QMimeData* mime, QPointF at);
  void FillLibraryCategories();
  // The shape, routing and terminators chosen in the palette's menus, for the next item.
  void ApplyToolStyle();
  // A choice of `group` (shapes, routing, start or end terminators) given to the selected flow
  // boxes or links as one undo step, the status bar saying so; false when none is selected or a
  // tool is drawing (its choices are for its next item).
  bool RestyleSelection(const QActionGroup* group, const QAction* choice);
  void UpdateHint();
  void DocumentChanged(int change);
  // The palette shows the tool of the document's current action.
  void SyncTool();
  // Runs an edit command as one undo step; an error is shown, not thrown.
  bool RunEdit(const QString& title, const std::function<bool()>& fn, bool group = true);
  void UpdateTitle();
  void UpdateRecentMenu();
  void AddRecent(const QString& path);
  void ShowZoom();
  void ShowPosition(double x, double y);
  // Asks about unsaved changes; true when the caller may go on.
  bool MaybeSave();
  void ExportDialog();
  void PrintDialog();

  std::shared_ptr<TStudioServices> fServices;
  std::unique_ptr<Orv::Fmx::TPlanoraFMX> fDoc;
  std::unique_ptr<Orv::IORObserver> fWatch;
  Orv::Fmx::TPLNEditor* fEditor = nullptr;
  QString fFile;
  // The picture the image tool places next.
  QString fImageFile;
  QMenu* fRecentMenu = nullptr;
  QMenu* fLanguageMenu = nullptr;
  QAction* fRulersAction = nullptr;
  QAction* fConnectorsAction = nullptr;
  QActionGroup* fGridGroup = nullptr;
  QActionGroup* fToolGroup = nullptr;
  QToolBar* fTools = nullptr;
  QAction* fUndo = nullptr;
  QAction* fRedo = nullptr;
  QAction* fCut = nullptr;
  QAction* fCopy = nullptr;
  QAction* fPaste = nullptr;
  QAction* fDuplicate = nullptr;
  QAction* fDelete = nullptr;
  QAction* fSelectAll = nullptr;
  QAction* fSnap = nullptr;
  QAction* fOrto = nullptr;
  std::vector<QAction*> fAlign;
  // Whether Paste has something: asked when the clipboard or the document's own stream changes,
  // not at every change of the drawing (another application's clipboard is a round trip away).
  bool fCanPaste = false;
  QLabel* fPosition = nullptr;
  QLabel* fZoom = nullptr;
  QLabel* fHint = nullptr;
  QActionGroup* fFlowShapes = nullptr;
  QActionGroup* fCodeKinds = nullptr;
  QActionGroup* fLinkRoute = nullptr;
  QActionGroup* fLinkStart = nullptr;
  QActionGroup* fLinkEnd = nullptr;
  Orv::Fmx::TPLNViewLibrary* fLibraryView = nullptr;
  Orv::Fmx::TPLNInspector* fInspector = nullptr;
  QAction* fSymbolTool = nullptr;
  QComboBox* fLibraryCategory = nullptr;
};

}  // namespace Planora::Studio
