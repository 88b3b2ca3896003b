;;; qvrise.lsp - drafting commands for lettering converted into TEXT.
;;;
;;; Load it with (load "qvrise.lsp"); it defines the commands
;;;   QVRISE  new text height, overall width kept
;;;   QVCOPY  strings of scattered TEXTs to the clipboard, as table rows
;;;   QVDROP  a table on the clipboard into TEXTs, one per cell
;;; Every command works on a selection (a window of two corners, or ALL),
;;; reports what it changed, undoes as one step and ends quietly on Escape.
;;; Plain AutoLISP and Visual LISP ActiveX only.

(vl-load-com)

;;; ---------------------------------------------------------------- helpers

(defun qv:doc () (vla-get-activedocument (vlax-get-acad-object)))

;; The start of a command: one undo step, and an error handler that closes it.
(defun qv:begin ()
  (setq qv:olderror *error*)
  (setq *error* qv:error)
  (vla-startundomark (qv:doc))
)

(defun qv:end ()
  (vla-endundomark (qv:doc))
  (setq *error* qv:olderror)
  (princ)
)

(defun qv:error (msg)
  (vla-endundomark (qv:doc))
  (setq *error* qv:olderror)
  (if (not (member (strcase msg t) '("function cancelled" "quit / exit abort" "console break")))
    (princ (strcat "\nエラー: " msg))
  )
  (princ)
)

(defun qv:dxf (code ed) (cdr (assoc code ed)))

;; The entity names of a selection set, in order; nil for none.
(defun qv:names (ss / i out)
  (setq i 0)
  (if ss
    (repeat (sslength ss)
      (setq out (cons (ssname ss i) out))
      (setq i (1+ i))
    )
  )
  (reverse out)
)

;; Insertion sort by the function less (stable).
(defun qv:sort (lst less / out)
  (foreach x lst (setq out (qv:insert x out less)))
  out
)

(defun qv:insert (x lst less / head)
  (while (and lst (not (apply less (list x (car lst)))))
    (setq head (cons (car lst) head))
    (setq lst (cdr lst))
  )
  (append (reverse head) (cons x lst))
)

(defun qv:median (nums / sorted n)
  (setq sorted (qv:sort nums '(lambda (a b) (< a b))))
  (setq n (length sorted))
  (if (= (rem n 2) 1)
    (nth (/ n 2) sorted)
    (/ (+ (nth (1- (/ n 2)) sorted) (nth (/ n 2) sorted)) 2.0)
  )
)

;; The point a text is placed by: its insertion point when left-aligned on
;; the baseline, else its alignment point.
(defun qv:textpoint (ed)
  (if (and (= 0 (qv:dxf 72 ed)) (= 0 (qv:dxf 73 ed)))
    (qv:dxf 10 ed)
    (qv:dxf 11 ed)
  )
)

;; The Y of a text's vertical middle.
(defun qv:middley (ed / y h v)
  (setq y (cadr (qv:textpoint ed)))
  (setq h (qv:dxf 40 ed))
  (setq v (qv:dxf 73 ed))
  (cond ((= v 2) y)
        ((= v 3) (- y (/ h 2.0)))
        (t (+ y (/ h 2.0)))
  )
)

;; The clipboard through the "htmlfile" object.
(defun qv:clipboard (/ html win cb)
  (setq html (vlax-create-object "htmlfile"))
  (setq win (vlax-get-property html 'parentWindow))
  (setq cb (vlax-get-property win 'clipboardData))
  (list html win cb)
)

(defun qv:release (objs)
  (foreach o (reverse objs) (vlax-release-object o))
)

(defun qv:getclip (/ objs text)
  (setq objs (qv:clipboard))
  (setq text (vlax-invoke-method (caddr objs) 'getData "Text"))
  (qv:release objs)
  text
)

(defun qv:setclip (text / objs)
  (setq objs (qv:clipboard))
  (vlax-invoke-method (caddr objs) 'setData "Text" text)
  (qv:release objs)
  text
)

;; Splits text at every occurrence of sep.
(defun qv:split (text sep / pos out)
  (while (setq pos (vl-string-search sep text))
    (setq out (cons (substr text 1 pos) out))
    (setq text (substr text (+ pos 1 (strlen sep))))
  )
  (reverse (cons text out))
)

(defun qv:texts (/ ss)
  (setq ss (ssget '((0 . "TEXT"))))
  (qv:names ss)
)

;;; ----------------------------------------------------------------- QVRISE
;;; New height for the selected texts; each width factor is scaled by
;;; old height / new height, so a text keeps about its overall width.

(defun c:QVRISE (/ names heights median h ed old n)
  (qv:begin)
  (setq names (qv:texts))
  (if (null names)
    (princ "\nTEXT が選択されていません。")
    (progn
      (foreach e names (setq heights (cons (qv:dxf 40 (entget e)) heights)))
      (setq median (qv:median heights))
      (initget 6)
      (setq h (getdist (strcat "\n新しい文字高さ <" (rtos median 2 3) ">: ")))
      (if (null h) (setq h median))
      (setq n 0)
      (foreach e names
        (setq ed (entget e))
        (setq old (qv:dxf 40 ed))
        (setq ed (subst (cons 41 (/ (* (qv:dxf 41 ed) old) h)) (assoc 41 ed) ed))
        (setq ed (subst (cons 40 h) (assoc 40 ed) ed))
        (if (entmod ed) (progn (entupd e) (setq n (1+ n))))
      )
      (princ (strcat "\n" (itoa n) " 個の TEXT の高さを " (rtos h 2 3) " にしました。"))
    )
  )
  (qv:end)
)

;;; ---------------------------------------------------------------- QVSWEEP
;;; Deletes lettering that a conversion made redundant: every line, arc,
;;; circle and polyline of the selection lying wholly inside the box of a
;;; selected TEXT grown by 20 % of its height, and no larger than 1.5 heights.

;; (minx miny maxx maxy) of a text as drawn.
(defun qv:textbox (e / minp maxp)
  (vla-getboundingbox (vlax-ename->vla-object e) 'minp 'maxp)
  (setq minp (vlax-safearray->list minp))
  (setq maxp (vlax-safearray->list maxp))
  (list (car minp) (cadr minp) (car maxp) (cadr maxp))
)

;; True when the stroke's box lies in one of the grown text boxes and is
;; no larger than 1.5 heights of that text.
(defun qv:undertext (box size texts / found)
  (foreach t5 texts
    (if (and (not found) (<= size (* 1.5 (nth 4 t5))) (qv:inside box t5))
      (setq found t)
    )
  )
  found
)

;; (minx miny maxx maxy) of a stroke from its definition points.
(defun qv:strokebox (ed / kind pts c r)
  (setq kind (qv:dxf 0 ed))
  (cond ((= kind "LINE") (setq pts (list (qv:dxf 10 ed) (qv:dxf 11 ed))))
        ((or (= kind "CIRCLE") (= kind "ARC"))
         (setq c (qv:dxf 10 ed) r (qv:dxf 40 ed))
         (setq pts (list (list (- (car c) r) (- (cadr c) r)) (list (+ (car c) r) (+ (cadr c) r)))))
        (t (foreach g ed (if (= (car g) 10) (setq pts (cons (cdr g) pts)))))
  )
  (list (apply 'min (mapcar 'car pts)) (apply 'min (mapcar 'cadr pts))
        (apply 'max (mapcar 'car pts)) (apply 'max (mapcar 'cadr pts)))
)

(defun qv:inside (inner outer)
  (and (>= (car inner) (car outer)) (>= (cadr inner) (cadr outer))
       (<= (caddr inner) (caddr outer)) (<= (cadddr inner) (cadddr outer)))
)

(defun c:QVSWEEP (/ names texts strokes ed box grow size n)
  (qv:begin)
  (setq names (qv:names (ssget '((0 . "TEXT,LINE,ARC,CIRCLE,LWPOLYLINE,POLYLINE")))))
  (foreach e names
    (setq ed (entget e))
    (if (= (qv:dxf 0 ed) "TEXT")
      (progn
        (setq box (qv:textbox e) grow (* 0.2 (qv:dxf 40 ed)))
        (setq texts (cons (list (- (car box) grow) (- (cadr box) grow) (+ (caddr box) grow) (+ (cadddr box) grow)
                                (qv:dxf 40 ed)) texts)))
      (setq strokes (cons (cons e (qv:strokebox ed)) strokes))
    )
  )
  (setq n 0)
  (foreach s strokes
    (setq box (cdr s))
    (setq size (max (- (caddr box) (car box)) (- (cadddr box) (cadr box))))
    (if (qv:undertext box size texts)
      (progn (entdel (car s)) (setq n (1+ n)))
    )
  )
  (princ (strcat "\n" (itoa n) " 個の図形を削除しました。"))
  (qv:end)
)

;;; ----------------------------------------------------------------- QVRULE
;;; Ruled lines of a table around scattered texts of about the same height
;;; (within 25 % of the median): rows by middle Y (a new row where the gap
;;; exceeds half a height), columns by overlapping X ranges; a horizontal line
;;; between rows and at top and bottom, a vertical line between columns and at
;;; both sides, half a height clear of the texts.

(defun qv:line (x1 y1 x2 y2)
  (entmake (list '(0 . "LINE") (list 10 x1 y1 0.0) (list 11 x2 y2 0.0)))
)

(defun c:QVRULE (/ names boxes h items rows row cols col clear ys xs left right top bottom prev)
  (qv:begin)
  (setq names (qv:texts))
  (if names
    (progn
      (foreach e names (setq boxes (cons (cons (qv:dxf 40 (entget e)) (qv:textbox e)) boxes)))
      (setq h (qv:median (mapcar 'car boxes)))
      (foreach b boxes
        (if (<= (abs (- (car b) h)) (* 0.25 h)) (setq items (cons (cdr b) items)))
      )
    )
  )
  (if (null items)
    (princ "\nTEXT が選択されていません。")
    (progn
      (setq clear (/ h 2.0))
      ;; rows: (top bottom), top first
      (setq items (qv:sort items '(lambda (a b) (> (+ (cadr a) (cadddr a)) (+ (cadr b) (cadddr b))))))
      (setq prev nil)
      (foreach b items
        (if (and prev (<= (- prev (/ (+ (cadr b) (cadddr b)) 2.0)) clear) row)
          (setq row (list (max (car row) (cadddr b)) (min (cadr row) (cadr b))))
          (progn
            (if row (setq rows (cons row rows)))
            (setq row (list (cadddr b) (cadr b)))
          )
        )
        (setq prev (/ (+ (cadr b) (cadddr b)) 2.0))
      )
      (setq rows (reverse (cons row rows)))
      ;; columns: (left right), left first, overlapping X ranges merged
      (setq items (qv:sort items '(lambda (a b) (< (car a) (car b)))))
      (setq col nil)
      (foreach b items
        (if (and col (<= (car b) (cadr col)))
          (setq col (list (car col) (max (cadr col) (caddr b))))
          (progn
            (if col (setq cols (cons col cols)))
            (setq col (list (car b) (caddr b)))
          )
        )
      )
      (setq cols (reverse (cons col cols)))
      (setq left (- (car (car cols)) clear))
      (setq right (+ (cadr (last cols)) clear))
      (setq top (+ (car (car rows)) clear))
      (setq bottom (- (cadr (last rows)) clear))
      (setq ys (list top))
      (setq prev (car rows))
      (foreach r (cdr rows)
        (setq ys (cons (/ (+ (cadr prev) (car r)) 2.0) ys))
        (setq prev r)
      )
      (setq ys (reverse (cons bottom ys)))
      (setq xs (list left))
      (setq prev (car cols))
      (foreach c (cdr cols)
        (setq xs (cons (/ (+ (cadr prev) (car c)) 2.0) xs))
        (setq prev c)
      )
      (setq xs (reverse (cons right xs)))
      (foreach y ys (qv:line left y right y))
      (foreach x xs (qv:line x top x bottom))
      (princ (strcat "\n" (itoa (length rows)) " 行 " (itoa (length cols)) " 列の罫線 (横 "
                     (itoa (length ys)) " 本、縦 " (itoa (length xs)) " 本) を作成しました。"))
    )
  )
  (qv:end)
)

;;; ----------------------------------------------------------------- QVSPAN
;;; Moves one ruled line (horizontal or vertical) parallel to a new position;
;;; the selected lines that end on it follow with that end, so a column gets
;;; wider or a row taller and the grid stays closed.

;; Distance from point p to the segment a-b.
(defun qv:segdist (p a b / dx dy len2 u)
  (setq dx (- (car b) (car a)) dy (- (cadr b) (cadr a)))
  (setq len2 (+ (* dx dx) (* dy dy)))
  (setq u (if (> len2 0.0) (/ (+ (* (- (car p) (car a)) dx) (* (- (cadr p) (cadr a)) dy)) len2) 0.0))
  (setq u (max 0.0 (min 1.0 u)))
  (distance (list (car p) (cadr p)) (list (+ (car a) (* u dx)) (+ (cadr a) (* u dy))))
)

;; The end point moved when it lies on the ruled line (coordinate axis index
;; i, 0 for X, at value old, between lo and hi on the other axis).
(defun qv:follow (pt i old new lo hi tol)
  (if (and (<= (abs (- (nth i pt) old)) tol)
           (>= (nth (- 1 i) pt) (- lo tol)) (<= (nth (- 1 i) pt) (+ hi tol)))
    (if (= i 0) (list new (cadr pt) 0.0) (list (car pt) new 0.0))
    pt
  )
)

(defun c:QVSPAN (/ names pick best bestd d ed a b i old new lo hi tol n target)
  (qv:begin)
  (setq names (qv:names (ssget '((0 . "LINE")))))
  (if (null names)
    (princ "\nLINE が選択されていません。")
    (progn
      (setq pick (getpoint "\n移動する罫線を指定: "))
      (foreach e names
        (setq ed (entget e))
        (setq d (qv:segdist pick (qv:dxf 10 ed) (qv:dxf 11 ed)))
        (if (or (null bestd) (< d bestd)) (setq best e bestd d))
      )
      (setq ed (entget best) a (qv:dxf 10 ed) b (qv:dxf 11 ed))
      (setq tol (* 1e-6 (+ 1.0 (distance a b))))
      (cond ((<= (abs (- (car a) (car b))) tol) (setq i 0))
            ((<= (abs (- (cadr a) (cadr b))) tol) (setq i 1))
      )
      (if (null i)
        (princ "\n水平または垂直の罫線を指定してください。")
        (progn
          (setq target (getpoint pick "\n新しい位置を指定: "))
          (setq old (nth i a) new (nth i target))
          (setq lo (min (nth (- 1 i) a) (nth (- 1 i) b)) hi (max (nth (- 1 i) a) (nth (- 1 i) b)))
          (setq n 0)
          (foreach e names
            (if (not (equal e best))
              (progn
                (setq ed (entget e))
                (setq a (qv:dxf 10 ed) b (qv:dxf 11 ed))
                (setq a (qv:follow a i old new lo hi tol) b (qv:follow b i old new lo hi tol))
                (if (not (and (equal a (qv:dxf 10 ed)) (equal b (qv:dxf 11 ed))))
                  (progn
                    (setq ed (subst (cons 10 a) (assoc 10 ed) ed))
                    (setq ed (subst (cons 11 b) (assoc 11 ed) ed))
                    (if (entmod ed) (setq n (1+ n)))
                  )
                )
              )
            )
          )
          (setq ed (entget best) a (qv:dxf 10 ed) b (qv:dxf 11 ed))
          (setq ed (subst (cons 10 (if (= i 0) (list new (cadr a) 0.0) (list (car a) new 0.0))) (assoc 10 ed) ed))
          (setq ed (subst (cons 11 (if (= i 0) (list new (cadr b) 0.0) (list (car b) new 0.0))) (assoc 11 ed) ed))
          (entmod ed)
          (princ (strcat "\n罫線を " (rtos (- new old) 2 3) " 移動し、" (itoa n) " 本の罫線を合わせました。"))
        )
      )
    )
  )
  (qv:end)
)

;;; ---------------------------------------------------------------- QVALIGN
;;; Each selected text into the cell of the selected lines around its middle:
;;; left (half a height clear), centred or right, always vertically centred.

;; The nearest line positions on both sides of v among the lines that cross
;; the other coordinate w: (below above), or nil.
(defun qv:bounds (v w lines / lo hi)
  (foreach l lines
    (if (and (<= (min (cadr l) (caddr l)) w) (>= (max (cadr l) (caddr l)) w))
      (progn
        (if (and (< (car l) v) (or (null lo) (> (car l) lo))) (setq lo (car l)))
        (if (and (> (car l) v) (or (null hi) (< (car l) hi))) (setq hi (car l)))
      )
    )
  )
  (if (and lo hi) (list lo hi))
)

(defun c:QVALIGN (/ names texts verticals horizontals ed p1 p2 mode box mx my xb yb h x n tol)
  (qv:begin)
  (setq names (qv:names (ssget '((0 . "TEXT,LINE")))))
  (foreach e names
    (setq ed (entget e))
    (if (= (qv:dxf 0 ed) "TEXT")
      (setq texts (cons e texts))
      (progn
        (setq p1 (qv:dxf 10 ed) p2 (qv:dxf 11 ed))
        (setq tol (* 1e-6 (+ 1.0 (distance p1 p2))))
        (cond ((<= (abs (- (car p1) (car p2))) tol)
               (setq verticals (cons (list (car p1) (cadr p1) (cadr p2)) verticals)))
              ((<= (abs (- (cadr p1) (cadr p2))) tol)
               (setq horizontals (cons (list (cadr p1) (car p1) (car p2)) horizontals)))
        )
      )
    )
  )
  (if (or (null texts) (null verticals) (null horizontals))
    (princ "\nTEXT と罫線 (LINE) を選択してください。")
    (progn
      (initget "Left Center Right")
      (setq mode (getkword "\n配置を選択 [Left/Center/Right] <Center>: "))
      (if (null mode) (setq mode "Center"))
      (setq n 0)
      (foreach e texts
        (setq ed (entget e) h (qv:dxf 40 ed))
        (setq box (qv:textbox e))
        (setq mx (/ (+ (car box) (caddr box)) 2.0) my (/ (+ (cadr box) (cadddr box)) 2.0))
        (setq xb (qv:bounds mx my verticals))
        (setq yb (qv:bounds my mx horizontals))
        (if (and xb yb)
          (progn
            (setq x (cond ((= mode "Left") (+ (car xb) (/ h 2.0)))
                          ((= mode "Right") (- (cadr xb) (/ h 2.0)))
                          (t (/ (+ (car xb) (cadr xb)) 2.0))))
            (setq ed (subst (cons 72 (cond ((= mode "Left") 0) ((= mode "Right") 2) (t 1))) (assoc 72 ed) ed))
            (setq ed (subst (cons 73 2) (assoc 73 ed) ed))
            (setq ed (subst (list 11 x (/ (+ (car yb) (cadr yb)) 2.0) 0.0) (assoc 11 ed) ed))
            (if (entmod ed) (progn (entupd e) (setq n (1+ n))))
          )
        )
      )
      (princ (strcat "\n" (itoa n) " 個の TEXT を罫線内に配置しました。"))
    )
  )
  (qv:end)
)

;;; ----------------------------------------------------------------- QVCOPY
;;; The strings of the selected texts to the clipboard in reading order:
;;; rows top first (texts whose middles lie within half a height of the
;;; row's first text), left to right in a row, TAB between, CR LF after a row.

(defun qv:rows (names / items rows row top)
  (foreach e names
    (setq ed (entget e))
    (setq items (cons (list (qv:middley ed) (car (qv:dxf 10 ed)) (qv:dxf 40 ed) (qv:dxf 1 ed)) items))
  )
  (setq items (qv:sort items '(lambda (a b) (> (car a) (car b)))))
  (foreach it items
    (if (and row (<= (abs (- (car top) (car it))) (/ (caddr top) 2.0)))
      (setq row (cons it row))
      (progn
        (if row (setq rows (cons row rows)))
        (setq row (list it))
        (setq top it)
      )
    )
  )
  (if row (setq rows (cons row rows)))
  (mapcar '(lambda (r) (qv:sort r '(lambda (a b) (< (cadr a) (cadr b))))) (reverse rows))
)

(defun c:QVCOPY (/ names rows text line ed)
  (qv:begin)
  (setq names (qv:texts))
  (if (null names)
    (princ "\nTEXT が選択されていません。")
    (progn
      (setq rows (qv:rows names))
      (setq text "")
      (foreach r rows
        (setq line nil)
        (foreach it r
          (setq line (if line (strcat line "\t" (cadddr it)) (cadddr it)))
        )
        (setq text (strcat text line "\r\n"))
      )
      (qv:setclip text)
      (princ (strcat "\n" (itoa (length names)) " 個の TEXT を " (itoa (length rows))
                     " 行でクリップボードにコピーしました。"))
    )
  )
  (qv:end)
)

;;; ----------------------------------------------------------------- QVDROP
;;; The clipboard's text as TEXTs, one per cell: rows 1.6 heights apart
;;; downward, TAB-separated cells in columns, each column starting two
;;; heights right of the widest text of the column before it.

(defun qv:width (e / obj minp maxp)
  (setq obj (vlax-ename->vla-object e))
  (vla-getboundingbox obj 'minp 'maxp)
  (- (car (vlax-safearray->list maxp)) (car (vlax-safearray->list minp)))
)

(defun c:QVDROP (/ clip rows base h col x widest cell made y r)
  (qv:begin)
  (setq clip (qv:getclip))
  (if clip (setq clip (vl-string-trim "\r\n" (vl-string-subst "" "\r" clip))))
  (if (or (null clip) (= clip ""))
    (princ "\nクリップボードに文字列がありません。")
    (progn
      (while (vl-string-search "\r" clip) (setq clip (vl-string-subst "" "\r" clip)))
      (setq rows (mapcar '(lambda (line) (qv:split line "\t")) (qv:split clip "\n")))
      (setq base (getpoint "\n開始点を指定: "))
      (initget 6)
      (setq h (getdist base "\n文字高さ <2.5>: "))
      (if (null h) (setq h 2.5))
      (setq x (car base))
      (setq col 0)
      (setq made 0)
      (while (< col (apply 'max (mapcar 'length rows)))
        (setq widest 0.0)
        (setq r 0)
        (foreach row rows
          (setq cell (nth col row))
          (if (and cell (/= cell ""))
            (progn
              (setq y (- (cadr base) (* r 1.6 h)))
              (if (entmake (list '(0 . "TEXT") (list 10 x y 0.0) (cons 40 h) (cons 1 cell)))
                (progn
                  (setq made (1+ made))
                  (setq widest (max widest (qv:width (entlast))))
                )
              )
            )
          )
          (setq r (1+ r))
        )
        (setq x (+ x widest (* 2.0 h)))
        (setq col (1+ col))
      )
      (princ (strcat "\n" (itoa made) " 個の TEXT を作成しました。"))
    )
  )
  (qv:end)
)

(princ "\nqvrise.lsp: QVRISE QVSWEEP QVRULE QVSPAN QVALIGN QVCOPY QVDROP")
(princ)
