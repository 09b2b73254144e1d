// Scans from files: File > "Open scan file ..." reads a scan written on this or another machine
// on a worker and hands its tree to the window, which shows it like a scan; a file that cannot
// be read is named with where it went wrong, and the window keeps what it showed.
#pragma once

#include <QObject>
#include <QString>
#include <string>

namespace nubrix {

class TForm1;
class TJobRunner;

class TScanFileView : public QObject {
  Q_OBJECT

 public:
  explicit TScanFileView(TForm1& form);

  void Open();  // asks for the file
  void Load(const std::string& file);
  bool Busy() const;
  // While a scan file is shown: which file, who wrote it and when; empty otherwise.
  const QString& Source() const { return Source_; }
  // A scan of the disk replaces what the file showed.
  void Forget() { Source_.clear(); }

 signals:
  // A file began or ended being read: the window's commands that replace the tree follow.
  void BusyChanged();

 private:
  TForm1& Form_;
  TJobRunner* Jobs_;
  QString Source_;
};

}  // namespace nubrix
