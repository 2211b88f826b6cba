;;; cloud_install_dir.lsp -- Harlowe のフォルダを CAD に登録します（インストールの後に一度）
;;;
;;; CAD のコマンド APPLOAD（アプリケーションをロード）でこのファイルをロードすると、
;;; harlowe.exe を選ぶダイアログが開きます。インストールしたフォルダの harlowe.exe を
;;; 選ぶと、そのフォルダを
;;;   1. サポートファイル検索パス（環境設定 ACAD）に加えます。Harlowe がこのフォルダに
;;;      書くスクリプトを (load "ENT_GOGO") が見つけるためです。
;;;   2. 信頼できる場所（システム変数 TRUSTEDPATHS）に加えます。この変数のある CAD は、
;;;      それ以外の場所のファイルを読み込むたびに確認を求めるためです。
;;; そして同じフォルダの cloud_start.lsp をロードします（コマンド CLOUD）。
;;; すでに登録されているフォルダは、二度は加えません。

;; 区切り文字（\ または /）かどうか
(defun cloud:sep-p (c) (or (= c "\\") (= c "/")))

;; 末尾の区切り文字を除いたフォルダ名
(defun cloud:trim (dir)
  (while (and (> (strlen dir) 0) (cloud:sep-p (substr dir (strlen dir) 1)))
    (setq dir (substr dir 1 (1- (strlen dir)))))
  dir)

;; パスの最後の区切り文字の位置（なければ 0）
(defun cloud:last-sep (path / i)
  (setq i (strlen path))
  (while (and (> i 0) (not (cloud:sep-p (substr path i 1))))
    (setq i (1- i)))
  i)

;; ファイルのあるフォルダ（末尾の区切り文字なし）と、ファイル名
(defun cloud:folder-of (file / i)
  (setq i (cloud:last-sep file))
  (if (> i 1) (substr file 1 (1- i)) ""))
(defun cloud:name-of (file) (substr file (1+ (cloud:last-sep file))))

;; DIR が ; で区切られた PATHS の中にあるか（大文字小文字と末尾の区切り文字は問わない）
(defun cloud:listed-p (dir paths / start i found)
  (setq dir (strcase (cloud:trim dir))
        start 1
        i 1)
  (while (<= i (1+ (strlen paths)))
    (if (or (> i (strlen paths)) (= (substr paths i 1) ";"))
      (progn
        (if (= (strcase (cloud:trim (substr paths start (- i start)))) dir)
          (setq found T))
        (setq start (1+ i))))
    (setq i (1+ i)))
  found)

;; PATHS の末尾に DIR を加えたもの（すでにあれば PATHS のまま）
(defun cloud:add (dir paths)
  (cond ((or (null paths) (= paths "")) dir)
        ((cloud:listed-p dir paths) paths)
        ((= (substr paths (strlen paths) 1) ";") (strcat paths dir))
        (T (strcat paths ";" dir))))

(defun cloud:install (/ exe dir trusted)
  (setq exe (getfiled "インストールしたフォルダの harlowe.exe を選んでください"
                      (cond ((findfile "harlowe.exe")) (""))
                      "exe"
                      0))
  (cond
    ((null exe)
     (princ "\nHarlowe のフォルダは登録しませんでした。"))
    ((/= (strcase (cloud:name-of exe)) "HARLOWE.EXE")
     (princ "\nharlowe.exe を選んでください。Harlowe のフォルダは登録しませんでした。"))
    (T
     (setq dir (cloud:folder-of exe))
     (setenv "ACAD" (cloud:add dir (getenv "ACAD")))
     (setq trusted (getvar "TRUSTEDPATHS"))
     (if trusted (setvar "TRUSTEDPATHS" (cloud:add dir trusted)))
     (load (strcat dir "\\cloud_start.lsp"))
     (princ (strcat "\nHarlowe のフォルダ " dir " を登録しました。"))))
  (princ))

(cloud:install)
