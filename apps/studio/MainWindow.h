#pragma once
// Planora Studio's main window: the editor over one drawing, with the file, view and output
// commands around it.

#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "StudioServices.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace Orv {
class IORObserver;
}
namespace Orv::Fmx {
class TPlanoraFMX;
class TPLNEditor;
}  // namespace Orv::Fmx

namespace Planora::Studio {

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
  // Renders the current page in the format of the file's extension.
  bool ExportTo(const QString& path);

  Orv::Fmx::TPlanoraFMX& Document() { return *fDoc; }
  Orv::Fmx::TPLNEditor& Editor() { return *fEditor; }
  QString CurrentFile() const { return fFile; }
  QStringList RecentFiles() const;
  // The texts of the status bar: pointer position, and zoom.
  QString PositionText() const;
  QString ZoomText() const;

  static constexpr int kMaxRecent = 8;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildMenus();
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
  QMenu* fRecentMenu = nullptr;
  QAction* fRulersAction = nullptr;
  QActionGroup* fGridGroup = nullptr;
  QLabel* fPosition = nullptr;
  QLabel* fZoom = nullptr;
};

}  // namespace Planora::Studio
