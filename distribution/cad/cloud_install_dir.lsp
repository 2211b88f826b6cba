;;; cloud_install_dir.lsp -- Harlowe のフォルダを CAD に登録します（インストールの後に一度）
;;;
;;; CAD のコマンド APPLOAD（アプリケーションをロード）でこのファイルをロードすると、
;;; harlowe.exe を選ぶダイアログが開きます。インストールしたフォルダの harlowe.exe を
;;; 選ぶと、そのフォルダを
;;;   1. サポートファイル検索パス（環境設定 ACAD）の先頭に置きます。Harlowe がこのフォルダに
;;;      書くスクリプトを (load "ENT_GOGO") が見つけ、コマンド CLOUD がこのフォルダの
;;;      harlowe.exe を起動するためです。
;;;   2. 信頼できる場所（システム変数 TRUSTEDPATHS）に加えます。この変数のある CAD は、
;;;      それ以外の場所のファイルを読み込むたびに確認を求めるためです。
;;; 以前に別のフォルダへインストールした Harlowe（harlowe.exe のあるフォルダ）は、どちらからも
;;; 外します。古い harlowe.exe が起動されないようにするためです。
;;; そして同じフォルダの cloud_start.lsp をロードします（コマンド CLOUD）。
;;; もう一度ロードしても、登録はそのまま変わりません。

;; 区切り文字（\ または /）かどうか
(defun cloud:sep-p (c) (or (= c "\\") (= c "/")))

;; 末尾の区切り文字を除いたフォルダ名
(defun cloud:trim (dir)
  (while (and (> (strlen dir) 0) (cloud:sep-p (substr dir (strlen dir) 1)))
    (setq dir (substr dir 1 (1- (strlen dir)))))
  dir)

;; 書き表すときのフォルダ名：末尾の区切り文字なし。ただしドライブのルートは C:\ のまま
;; （C: だけでは、そのドライブの「現在のフォルダ」の意味になるため）
(defun cloud:folder-text (dir)
  (setq dir (cloud:trim dir))
  (if (and (= (strlen dir) 2) (= (substr dir 2 1) ":")) (strcat dir "\\") dir))

;; 比べるときのフォルダ名：/ は \ に、末尾の区切り文字なし、大文字
(defun cloud:key (dir / i out c)
  (setq dir (cloud:trim dir)
        i 1
        out "")
  (while (<= i (strlen dir))
    (setq c (substr dir i 1)
          out (strcat out (if (= c "/") "\\" c))
          i (1+ i)))
  (strcase out))

;; パスの最後の区切り文字の位置（なければ 0）
(defun cloud:last-sep (path / i)
  (setq i (strlen path))
  (while (and (> i 0) (not (cloud:sep-p (substr path i 1))))
    (setq i (1- i)))
  i)

;; ファイルのあるフォルダと、ファイル名
(defun cloud:folder-of (file / i)
  (setq i (cloud:last-sep file))
  (if (> i 1) (cloud:folder-text (substr file 1 i)) ""))
(defun cloud:name-of (file) (substr file (1+ (cloud:last-sep file))))

;; フォルダの中のファイルのパス
(defun cloud:file-in (dir name)
  (if (and (> (strlen dir) 0) (cloud:sep-p (substr dir (strlen dir) 1)))
    (strcat dir name)
    (strcat dir "\\" name)))

;; ; で区切られた PATHS の項目のリスト（空の項目は除く）
(defun cloud:split (paths / start i items)
  (setq start 1
        i 1)
  (if paths
    (while (<= i (1+ (strlen paths)))
      (if (or (> i (strlen paths)) (= (substr paths i 1) ";"))
        (progn
          (if (> i start) (setq items (append items (list (substr paths start (- i start))))))
          (setq start (1+ i))))
      (setq i (1+ i))))
  items)

;; 項目のリストを ; でつないだもの
(defun cloud:join (items / out)
  (setq out "")
  (foreach p items
    (setq out (if (= out "") p (strcat out ";" p))))
  out)

;; 別の Harlowe のフォルダ（harlowe.exe があり、DIR ではないもの）かどうか
(defun cloud:other-harlowe-p (p dir)
  (and (/= (cloud:key p) (cloud:key dir))
       (findfile (cloud:file-in p "harlowe.exe"))))

;; PATHS の項目から、DIR と別の Harlowe のフォルダを除いたもの。除いたフォルダは
;; cloud:dropped に集めます
(defun cloud:others (dir paths / out)
  (foreach p (cloud:split paths)
    (cond
      ((= (cloud:key p) (cloud:key dir)))
      ((cloud:other-harlowe-p p dir)
       (if (not (cloud:listed-p p cloud:dropped))
         (setq cloud:dropped (append cloud:dropped (list p)))))
      (T (setq out (append out (list p))))))
  out)

;; DIR がフォルダのリスト ITEMS の中にあるか
(defun cloud:listed-p (dir items / found)
  (foreach p items
    (if (= (cloud:key p) (cloud:key dir)) (setq found T)))
  found)

(defun cloud:install (/ exe dir acad paths trusted)
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
     (setq dir (cloud:folder-of exe)
           cloud:dropped nil)
     ;; このフォルダを先頭に：同じ名前のファイルは、検索パスの前のフォルダのものが使われます
     (setq acad (getenv "ACAD")
           paths (cloud:join (append (list dir) (cloud:others dir acad))))
     (if (/= paths acad) (setenv "ACAD" paths))
     (setq trusted (getvar "TRUSTEDPATHS"))
     (if trusted
       (progn
         (setq paths (cloud:join (append (cloud:others dir trusted) (list dir))))
         (if (/= paths trusted) (setvar "TRUSTEDPATHS" paths))))
     (foreach p cloud:dropped
       (princ (strcat "\n以前の Harlowe のフォルダ " p " を登録から外しました。")))
     (load (cloud:file-in dir "cloud_start.lsp"))
     (princ (strcat "\nHarlowe のフォルダ " dir " を登録しました。"))))
  (princ))

(cloud:install)
