;;; cloud_start.lsp -- コマンド CLOUD: Harlowe を起動して点群を取り込みます
;;;
;;; サポートファイル検索パスにある harlowe.exe を起動します（フォルダの登録は
;;; cloud_install_dir.lsp が行います）。CAD を起動するたびに CLOUD を使えるようにするには、
;;; APPLOAD の「スタートアップ登録」にこのファイルを加えてください。

(defun c:CLOUD (/ exe)
  (setq exe (findfile "harlowe.exe"))
  (cond
    ((null exe)
     (princ "\nharlowe.exe が見つかりません。cloud_install_dir.lsp をロードして、Harlowe のフォルダを登録してください。"))
    ((null (startapp (strcat "\"" exe "\"")))
     (princ (strcat "\n" exe " を起動できませんでした。")))
    (T
     (princ "\nHarlowe を起動しました。点群のファイルを選んでください。")))
  (princ))

(princ "\nコマンド CLOUD で Harlowe を起動します。")
(princ)
